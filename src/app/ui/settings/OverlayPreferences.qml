// The Settings pane's section for the chat overlay of streaming software.
// Everything it decides is in `overlay` (OverlayPreferencesViewModel).
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

ColumnLayout {
    id: section

    required property QtObject overlay

    spacing: 8

    component ErrorText: Text {
        visible: text !== ""
        Layout.fillWidth: true
        textFormat: Text.PlainText
        wrapMode: Text.Wrap
        color: "red"
        font.pointSize: 9
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: text === ""
    }

    // A number field that hands its text over when editing ends, then shows
    // the value in force again.
    component NumberField: TextField {
        required property string value
        signal edited(string text)
        Layout.preferredWidth: 55
        text: value
        selectByMouse: true
        inputMethodHints: Qt.ImhDigitsOnly
        onEditingFinished: {
            edited(text)
            text = Qt.binding(() => value)
        }
    }

    PreferenceRow {
        label: ""
        CheckBox {
            objectName: "overlayEnabled"
            text: section.overlay.title
            checked: section.overlay.enabled
            onToggled: section.overlay.setEnabled(checked)
            Accessible.name: text
            Accessible.onPressAction: section.overlay.setEnabled(!section.overlay.enabled)
        }
    }
    PreferenceRow {
        label: "Address"
        visible: section.overlay.enabled
        TextEdit {
            objectName: "overlayAddress"
            Layout.fillWidth: true
            text: section.overlay.addressText
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.WrapAnywhere
            color: palette.windowText
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        RowLayout {
            spacing: 6
            Button {
                text: "Copy"
                enabled: section.overlay.canCopyAddress
                onClicked: section.overlay.copyAddress()
                Accessible.name: "Copy overlay address"
                Accessible.onPressAction: section.overlay.copyAddress()
            }
            Button {
                text: "New address"
                onClicked: section.overlay.newAddress()
                Accessible.name: "New overlay address"
                Accessible.onPressAction: section.overlay.newAddress()
            }
        }
    }
    PreferenceRow {
        label: "Port"
        visible: section.overlay.enabled
        NumberField {
            value: section.overlay.portText
            onEdited: (text) => section.overlay.setPort(text)
            Accessible.name: "Overlay port"
            Accessible.description: section.overlay.portError
        }
        ErrorText { text: section.overlay.portError }
    }
    PreferenceRow {
        label: "Text size"
        visible: section.overlay.enabled
        RowLayout {
            spacing: 6
            NumberField {
                value: section.overlay.fontScaleText
                onEdited: (text) => section.overlay.setFontScale(text)
                Accessible.name: "Overlay text size in percent"
                Accessible.description: section.overlay.fontScaleError
            }
            Text {
                text: "%"
                textFormat: Text.PlainText
                color: palette.windowText
                Accessible.ignored: true
            }
        }
        ErrorText { text: section.overlay.fontScaleError }
    }
    PreferenceRow {
        label: "Messages"
        visible: section.overlay.enabled
        RowLayout {
            spacing: 6
            CheckBox {
                text: "Fade after"
                checked: section.overlay.fadesMessages
                onToggled: section.overlay.setFadesMessages(checked)
                Accessible.name: "Fade overlay messages"
                Accessible.onPressAction: section.overlay.setFadesMessages(!section.overlay.fadesMessages)
            }
            NumberField {
                enabled: section.overlay.fadesMessages
                value: section.overlay.lifetimeText
                onEdited: (text) => section.overlay.setLifetime(text)
                Accessible.name: "Seconds before an overlay message fades"
                Accessible.description: section.overlay.lifetimeError
            }
            Text {
                text: "s"
                textFormat: Text.PlainText
                color: palette.windowText
                Accessible.ignored: true
            }
        }
        ErrorText { text: section.overlay.lifetimeError }
        CheckBox {
            text: "Hide badges"
            checked: section.overlay.hideBadges
            onToggled: section.overlay.setHideBadges(checked)
            Accessible.name: "Hide badges in the overlay"
            Accessible.onPressAction: section.overlay.setHideBadges(!section.overlay.hideBadges)
        }
    }
}
