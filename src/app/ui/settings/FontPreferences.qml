// A font row: its size in a number field, the allowed range under it after
// text that was not taken, the default size, and Bold.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

PreferenceRow {
    id: fontRow

    property string name
    property string sizeText
    property string sizeError
    property bool isBold
    signal sizeEdited(string text)
    signal boldToggled(bool isBold)

    label: name + " font size:"

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
        Accessible.name: fontRow.name + " font size"
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
        Accessible.onPressAction: fontRow.boldToggled(!fontRow.isBold)
    }
}
