// A font row: its size in a number field, the allowed range under it after
// text that was not taken, the default size, and Bold.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

PreferenceRow {
    id: fontRow

    property string sizeName
    property string boldName
    property string boldTitle
    property string defaultSizeText
    property string sizeText
    property string sizeError
    property bool isBold
    signal sizeEdited(string text)
    signal boldToggled(bool isBold)

    TextField {
        Layout.preferredWidth: 80
        text: fontRow.sizeText
        selectByMouse: true
        inputMethodHints: Qt.ImhFormattedNumbersOnly
        // The field then shows the size in force, whether or not it took the text.
        onEditingFinished: {
            fontRow.sizeEdited(text)
            text = Qt.binding(() => fontRow.sizeText)
        }
        Accessible.name: fontRow.sizeName
        Accessible.description: fontRow.sizeError
    }
    Text {
        objectName: "sizeError"
        visible: text !== ""
        Layout.fillWidth: true
        text: fontRow.sizeError
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: "red"
        font.pointSize: 9
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: text === ""
    }
    Text {
        text: fontRow.defaultSizeText
        textFormat: Text.PlainText
        color: Qt.rgba(palette.windowText.r, palette.windowText.g, palette.windowText.b, 0.6)
        font.pointSize: 9
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    CheckBox {
        text: fontRow.boldTitle
        checked: fontRow.isBold
        onToggled: fontRow.boldToggled(checked)
        Accessible.name: fontRow.boldName
        Accessible.onPressAction: fontRow.boldToggled(!fontRow.isBold)
    }
}
