// The Settings window: the options on the left, a live preview of sample chat
// on the right. Everything it decides is in `viewModel` (PreferencesViewModel);
// `theme` and `previewModel` style and fill the preview.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "qrc:/parley/chat"

SplitView {
    id: root

    // The context's theme, under a name the preview's own `theme` does not hide.
    readonly property var chatTheme: theme
    readonly property color secondaryColor: Qt.rgba(palette.windowText.r, palette.windowText.g,
                                                     palette.windowText.b, 0.6)

    implicitWidth: 825
    implicitHeight: 500
    orientation: Qt.Horizontal

    Rectangle {
        SplitView.fillWidth: true
        color: palette.window

        ColumnLayout {
            anchors.centerIn: parent
            spacing: 24

            FontPreferences {
                name: "Username"
                sizeText: viewModel.userFontSizeText
                sizeError: viewModel.userFontSizeError
                isBold: viewModel.isUserFontBold
                onSizeEdited: (text) => viewModel.setUserFontSize(text)
                onBoldToggled: (isBold) => viewModel.setUserFontBold(isBold)
            }
            Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: palette.mid }
            FontPreferences {
                name: "Message"
                sizeText: viewModel.messageFontSizeText
                sizeError: viewModel.messageFontSizeError
                isBold: viewModel.isMessageFontBold
                onSizeEdited: (text) => viewModel.setMessageFontSize(text)
                onBoldToggled: (isBold) => viewModel.setMessageFontBold(isBold)
            }
            Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: palette.mid }
            PreferenceRow {
                label: "Spacing:"

                ButtonGroup { id: spacingGroup }
                Repeater {
                    model: ["Minimum", "Medium", "Large"]
                    RadioButton {
                        required property string modelData
                        required property int index
                        text: modelData
                        ButtonGroup.group: spacingGroup
                        checked: viewModel.spacingChoice === index
                        onClicked: viewModel.selectSpacing(index)
                        Accessible.name: "Spacing " + modelData
                        Accessible.onPressAction: viewModel.selectSpacing(index)
                    }
                }
                RowLayout {
                    spacing: 6
                    RadioButton {
                        text: "Custom"
                        ButtonGroup.group: spacingGroup
                        checked: viewModel.spacingChoice === 3
                        onClicked: viewModel.selectSpacing(3)
                        Accessible.name: "Spacing Custom"
                        Accessible.onPressAction: viewModel.selectSpacing(3)
                    }
                    TextField {
                        Layout.preferredWidth: 45
                        text: viewModel.customSpacingText
                        placeholderText: "Points"
                        selectByMouse: true
                        inputMethodHints: Qt.ImhFormattedNumbersOnly
                        // The field then shows the spacing in force.
                        onEditingFinished: {
                            viewModel.setCustomSpacing(text)
                            text = Qt.binding(() => viewModel.customSpacingText)
                        }
                        Accessible.name: "Points"
                        Accessible.description: viewModel.customSpacingError
                    }
                    Text {
                        text: "points"
                        textFormat: Text.PlainText
                        color: palette.windowText
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
                Text {
                    objectName: "spacingError"
                    visible: text !== ""
                    Layout.fillWidth: true
                    text: viewModel.customSpacingError
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    color: "red"
                    font.pointSize: 9
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Accessible.ignored: text === ""
                }
            }
            PreferenceRow {
                label: ""
                CheckBox {
                    text: "Show message timestamps"
                    checked: viewModel.showMessageTimestamp
                    onToggled: viewModel.setShowMessageTimestamp(checked)
                    Accessible.name: text
                    Accessible.onPressAction: viewModel.setShowMessageTimestamp(!viewModel.showMessageTimestamp)
                }
            }
        }
    }

    Rectangle {
        SplitView.minimumWidth: 300
        SplitView.maximumWidth: 400
        SplitView.preferredWidth: 340
        color: Qt.rgba(palette.windowText.r, palette.windowText.g, palette.windowText.b, 0.05)

        ColumnLayout {
            anchors.fill: parent
            spacing: 0

            Text {
                Layout.margins: 14
                text: "PREVIEW"
                textFormat: Text.PlainText
                font.bold: true
                color: root.secondaryColor
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: palette.mid }
            MessageList {
                Layout.fillWidth: true
                Layout.fillHeight: true
                model: previewModel
                theme: root.chatTheme
            }
        }
    }
}
