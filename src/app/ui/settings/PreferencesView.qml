// The Settings window: the options on the left, a live preview of sample chat
// on the right. Everything it decides is in `viewModel` (PreferencesViewModel);
// `themeModifier` and `previewModel` style and fill the preview.
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Parley
import Parley.Chat
import Parley.Settings
import "qrc:/parley/chat"

SplitView {
    id: root

    required property PreferencesViewModel viewModel
    required property ThemeModifier themeModifier
    required property MessageListModel previewModel
    // The chat overlay's section (OverlayPreferencesViewModel); none, no section.
    required property QtObject overlayPreferences

    readonly property color secondaryColor: Qt.rgba(palette.windowText.r, palette.windowText.g,
                                                     palette.windowText.b, 0.6)

    implicitWidth: 825
    implicitHeight: 500
    orientation: Qt.Horizontal

    Rectangle {
        SplitView.fillWidth: true
        color: palette.window

        // The window's size is fixed: more options than fit scroll.
        Flickable {
            id: options
            anchors.fill: parent
            contentWidth: width
            contentHeight: Math.max(height, column.implicitHeight + 40)
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

            ColumnLayout {
                id: column
                anchors.centerIn: parent
                spacing: 24

                FontPreferences {
                    label: root.viewModel.userFontLabel
                    sizeName: root.viewModel.userFontSizeName
                    boldName: root.viewModel.userFontBoldName
                    boldTitle: root.viewModel.boldTitle
                    defaultSizeText: root.viewModel.defaultFontSizeText
                    sizeText: root.viewModel.userFontSizeText
                    sizeError: root.viewModel.userFontSizeError
                    isBold: root.viewModel.isUserFontBold
                    onSizeEdited: (text) => root.viewModel.setUserFontSize(text)
                    onBoldToggled: (isBold) => root.viewModel.setUserFontBold(isBold)
                }
                Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: palette.mid }
                FontPreferences {
                    label: root.viewModel.messageFontLabel
                    sizeName: root.viewModel.messageFontSizeName
                    boldName: root.viewModel.messageFontBoldName
                    boldTitle: root.viewModel.boldTitle
                    defaultSizeText: root.viewModel.defaultFontSizeText
                    sizeText: root.viewModel.messageFontSizeText
                    sizeError: root.viewModel.messageFontSizeError
                    isBold: root.viewModel.isMessageFontBold
                    onSizeEdited: (text) => root.viewModel.setMessageFontSize(text)
                    onBoldToggled: (isBold) => root.viewModel.setMessageFontBold(isBold)
                }
                Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: palette.mid }
                PreferenceRow {
                    label: root.viewModel.spacingLabel

                    ButtonGroup { id: spacingGroup }
                    Repeater {
                        model: root.viewModel.namedSpacingChoices
                        RadioButton {
                            required property int modelData
                            text: root.viewModel.spacingTitle(modelData)
                            ButtonGroup.group: spacingGroup
                            checked: root.viewModel.spacingChoice === modelData
                            onClicked: root.viewModel.selectSpacing(modelData)
                            Accessible.name: root.viewModel.spacingName(modelData)
                            Accessible.onPressAction: root.viewModel.selectSpacing(modelData)
                        }
                    }
                    RowLayout {
                        spacing: 6
                        RadioButton {
                            text: root.viewModel.spacingTitle(PreferencesViewModel.CustomSpacing)
                            ButtonGroup.group: spacingGroup
                            checked: root.viewModel.spacingChoice === PreferencesViewModel.CustomSpacing
                            onClicked: root.viewModel.selectSpacing(PreferencesViewModel.CustomSpacing)
                            Accessible.name: root.viewModel.spacingName(PreferencesViewModel.CustomSpacing)
                            Accessible.onPressAction: root.viewModel.selectSpacing(PreferencesViewModel.CustomSpacing)
                        }
                        TextField {
                            Layout.preferredWidth: 45
                            text: root.viewModel.customSpacingText
                            placeholderText: root.viewModel.pointsPlaceholder
                            selectByMouse: true
                            inputMethodHints: Qt.ImhFormattedNumbersOnly
                            // The field then shows the spacing in force.
                            onEditingFinished: {
                                root.viewModel.setCustomSpacing(text)
                                text = Qt.binding(() => root.viewModel.customSpacingText)
                            }
                            Accessible.name: root.viewModel.pointsPlaceholder
                            Accessible.description: root.viewModel.customSpacingError
                        }
                        Text {
                            text: root.viewModel.pointsUnit
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
                        text: root.viewModel.customSpacingError
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
                        text: root.viewModel.timestampTitle
                        checked: root.viewModel.showMessageTimestamp
                        onToggled: root.viewModel.setShowMessageTimestamp(checked)
                        Accessible.name: text
                        Accessible.onPressAction: root.viewModel.setShowMessageTimestamp(!root.viewModel.showMessageTimestamp)
                    }
                    Repeater {
                        model: root.viewModel.chatSwitchTitles
                        CheckBox {
                            required property string modelData
                            required property int index
                            text: modelData
                            checked: root.viewModel.chatSwitches[index]
                            onToggled: root.viewModel.setChatSwitch(index, checked)
                            Accessible.name: text
                            Accessible.onPressAction: root.viewModel.setChatSwitch(index, !checked)
                        }
                    }
                }
                PreferenceRow {
                    label: root.viewModel.overlayOpacityLabel
                    RowLayout {
                        spacing: 6
                        Slider {
                            objectName: "overlayOpacity"
                            Layout.fillWidth: true
                            from: 0
                            to: 100
                            stepSize: 5
                            value: root.viewModel.overlayOpacityPercent
                            onMoved: root.viewModel.setOverlayOpacityPercent(Math.round(value))
                            Accessible.name: root.viewModel.overlayOpacityName
                        }
                        Text {
                            text: root.viewModel.overlayOpacityText
                            textFormat: Text.PlainText
                            color: palette.windowText
                            Accessible.ignored: true
                        }
                    }
                }
                PreferenceRow {
                    label: root.viewModel.emotesLabel
                    ColumnLayout {
                        spacing: 0
                        Repeater {
                            model: root.viewModel.emoteSwitchTitles
                            CheckBox {
                                required property string modelData
                                required property int index
                                text: modelData
                                checked: root.viewModel.emoteSwitches[index]
                                onToggled: root.viewModel.setEmoteSwitch(index, checked)
                                Accessible.name: text
                                Accessible.onPressAction: root.viewModel.setEmoteSwitch(index, !checked)
                            }
                        }
                    }
                }
                PreferenceRow {
                    label: ""
                    CheckBox {
                        text: root.viewModel.recentMessagesTitle
                        checked: root.viewModel.loadRecentMessages
                        onToggled: root.viewModel.setLoadRecentMessages(checked)
                        Accessible.name: text
                        Accessible.description: root.viewModel.recentMessagesNote
                        Accessible.onPressAction: root.viewModel.setLoadRecentMessages(!root.viewModel.loadRecentMessages)
                    }
                    Text {
                        Layout.fillWidth: true
                        leftPadding: 4
                        text: root.viewModel.recentMessagesNote
                        textFormat: Text.PlainText
                        wrapMode: Text.Wrap
                        color: palette.placeholderText
                        font.pointSize: 9
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
                Rectangle {
                    visible: root.overlayPreferences !== null
                    Layout.fillWidth: true
                    implicitHeight: 1
                    color: palette.mid
                }
                Loader {
                    active: root.overlayPreferences !== null
                    Layout.fillWidth: true
                    sourceComponent: OverlayPreferences { overlay: root.overlayPreferences }
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
                text: root.viewModel.previewTitle
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
                messages: root.previewModel
                themeModifier: root.themeModifier
            }
        }
    }
}
