// A font row: its size in a number field, the default size under it, and Bold.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

PreferenceRow {
    id: fontRow

    property string name
    property string sizeText
    property bool isBold
    signal sizeEdited(string text)
    signal boldToggled(bool isBold)

    label: name + " font size:"

    TextField {
        Layout.preferredWidth: 80
        text: fontRow.sizeText
        selectByMouse: true
        inputMethodHints: Qt.ImhFormattedNumbersOnly
        onEditingFinished: fontRow.sizeEdited(text)
        Accessible.name: fontRow.name + " font size"
    }
    Text {
        text: "Default system font size is 13.0"
        textFormat: Text.PlainText
        color: Qt.rgba(palette.windowText.r, palette.windowText.g, palette.windowText.b, 0.6)
        font.pointSize: 9
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    CheckBox {
        text: "Bold"
        checked: fontRow.isBold
        onToggled: fontRow.boldToggled(checked)
        Accessible.name: fontRow.name + " font bold"
    }
}
