// One row of the Settings pane: a 150-point label column, trailing-aligned,
// then a 200-point control column, leading-aligned; 25 points after it.
import QtQuick
import QtQuick.Layouts

RowLayout {
    id: row

    property string label
    default property alias content: controls.data

    spacing: 8
    Layout.rightMargin: 25

    Text {
        Layout.preferredWidth: 150
        Layout.alignment: Qt.AlignTop
        topPadding: 4
        horizontalAlignment: Text.AlignRight
        text: row.label
        textFormat: Text.PlainText
        color: palette.windowText
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: text.length === 0
    }
    ColumnLayout {
        id: controls
        Layout.preferredWidth: 200
        Layout.maximumWidth: 200
        Layout.alignment: Qt.AlignTop | Qt.AlignLeft
        spacing: 6
    }
}
