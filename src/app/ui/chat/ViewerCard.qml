import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Parley
import Parley.Chat

// A viewer's card over the chat: their badges and name in their colour, what
// they wrote this session (newest last), and the moderation buttons. Closes
// with Escape, the Close button or a click beside it. The view model decides;
// this only shows.
Item {
    id: root

    required property ViewerCardViewModel viewModel
    required property ThemeModifier themeModifier
    property EmoteImageLoader emoteImages: null

    // The card was closed: its owner lets it go.
    signal closed()

    SystemPalette { id: colors }

    Popup {
        id: popup
        objectName: "viewerCard"
        parent: Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(parent.width - 24, 360)
        height: Math.min(parent.height - 24, 440)
        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        padding: 12
        onClosed: root.closed()
        Component.onCompleted: open()

        Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.25) }

        background: Rectangle {
            color: colors.window
            border.color: colors.mid
            radius: 6
        }

        contentItem: ColumnLayout {
            spacing: 8
            Accessible.role: Accessible.Dialog
            Accessible.name: root.viewModel.cardName

            RowLayout {
                Layout.fillWidth: true
                spacing: 4

                Repeater {
                    model: root.viewModel.badges

                    Item {
                        id: badgeItem
                        required property var modelData
                        objectName: "cardBadge"
                        implicitWidth: 18
                        implicitHeight: 18
                        Accessible.role: Accessible.Graphic
                        Accessible.name: modelData.title

                        Image {
                            anchors.fill: parent
                            source: badgeItem.modelData.source
                            visible: source != ""
                            fillMode: Image.PreserveAspectFit
                            smooth: true
                        }
                        BroadcasterBadge {
                            anchors.fill: parent
                            visible: badgeItem.modelData.isBroadcaster && badgeItem.modelData.source == ""
                        }
                    }
                }

                Text {
                    objectName: "cardName"
                    Layout.fillWidth: true
                    text: root.viewModel.displayName
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    font.family: root.themeModifier.theme.userFont.family
                    font.pointSize: root.themeModifier.theme.userFont.pointSize + 3
                    font.bold: true
                    color: root.viewModel.nameColor
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
            }

            Rectangle {
                Layout.fillWidth: true
                Layout.fillHeight: true
                color: colors.base
                border.color: colors.mid

                ListView {
                    id: history
                    objectName: "cardMessages"
                    anchors.fill: parent
                    anchors.margins: 1
                    clip: true
                    spacing: 6
                    topMargin: 6
                    bottomMargin: 6
                    model: root.viewModel.messages
                    activeFocusOnTab: true
                    Accessible.role: Accessible.List
                    Accessible.name: root.viewModel.messagesName
                    ScrollBar.vertical: ScrollBar {
                        policy: ScrollBar.AsNeeded
                        onPositionChanged: if (pressed) historyScroll.userScrolled()
                    }

                    // Newest last, and in view: the card opens at the end and
                    // follows the viewer's new messages as the chat list does,
                    // until the reader scrolls up.
                    function measure() {
                        historyScroll.measure(contentHeight + topMargin + bottomMargin, contentY - originY, height)
                    }
                    function showLast() {
                        if (historyScroll.isFollowing)
                            positionViewAtEnd()
                    }
                    onContentHeightChanged: {
                        measure()
                        historyScroll.layoutChanged()
                    }
                    onHeightChanged: {
                        measure()
                        historyScroll.layoutChanged()
                    }
                    onContentYChanged: measure()
                    onMovementEnded: historyScroll.userScrolled()
                    Component.onCompleted: historyScroll.followLatest()

                    MessageListScrollState {
                        id: historyScroll
                        model: root.viewModel.messages
                    }
                    Connections {
                        target: historyScroll
                        function onScrollToLastRequested() { Qt.callLater(history.showLast) }
                    }

                    delegate: Column {
                        id: message
                        required property string timeText
                        required property var body
                        required property color bodyColor
                        required property bool isBodyItalic
                        required property real bodyOpacity
                        required property string accessibleName
                        x: 8
                        width: ListView.view.width - 16
                        spacing: 1
                        Accessible.role: Accessible.ListItem
                        Accessible.name: accessibleName

                        Text {
                            text: message.timeText
                            textFormat: Text.PlainText
                            font.pointSize: root.themeModifier.theme.messageFont.pointSize - 2
                            color: colors.text
                            opacity: 0.6
                            Accessible.ignored: true
                        }
                        TextEdit {
                            id: bodyText
                            objectName: "cardMessageBody"
                            width: parent.width
                            textFormat: TextEdit.PlainText
                            readOnly: true
                            selectByMouse: true
                            wrapMode: TextEdit.Wrap
                            font.family: root.themeModifier.theme.messageFont.family
                            font.pointSize: root.themeModifier.theme.messageFont.pointSize
                            font.italic: message.isBodyItalic
                            color: message.bodyColor
                            opacity: message.bodyOpacity
                            selectionColor: colors.highlight
                            selectedTextColor: colors.highlightedText
                            Accessible.ignored: true

                            TextWithEmotesRenderer {
                                id: renderer
                                document: bodyText.textDocument
                                content: message.body
                                loader: root.emoteImages
                            }
                            Component.onCompleted: renderer.appear()

                            Repeater {
                                model: renderer.animatedEmotes
                                delegate: AnimatedEmoteItem {
                                    required property var modelData
                                    // Read again whenever the text is laid out anew: a reused row keeps
                                    // these items when its new message has emotes at the same positions.
                                    readonly property rect place: {
                                        bodyText.text
                                        bodyText.width
                                        bodyText.contentHeight
                                        // Between a reused row's new text and its new emotes, a place may lie past the text.
                                        return modelData.position <= bodyText.length ? bodyText.positionToRectangle(modelData.position)
                                            : Qt.rect(0, 0, 0, 0)
                                    }
                                    loader: root.emoteImages
                                    imageKey: modelData.key
                                    x: place.x
                                    y: place.y + (place.height - height) / 2
                                    width: modelData.width
                                    height: modelData.height
                                }
                            }
                        }
                    }
                }
            }

            Text {
                objectName: "moderationHint"
                Layout.fillWidth: true
                visible: text !== ""
                text: root.viewModel.moderationHint
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: colors.text
                opacity: 0.7
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                Accessible.ignored: text === ""
            }

            Text {
                objectName: "cardError"
                Layout.fillWidth: true
                visible: text !== ""
                text: root.viewModel.errorMessage
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: "red"
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                Accessible.ignored: text === ""
            }

            // Asked before a ban.
            RowLayout {
                objectName: "banQuestion"
                Layout.fillWidth: true
                visible: root.viewModel.isConfirmingBan
                spacing: 6

                Text {
                    Layout.fillWidth: true
                    text: root.viewModel.banQuestion
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    color: colors.text
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
                Button {
                    objectName: "confirmBanButton"
                    text: root.viewModel.banTitle
                    onClicked: root.viewModel.ban()
                    Accessible.name: root.viewModel.banQuestion
                    Accessible.onPressAction: root.viewModel.ban()
                }
                Button {
                    objectName: "cancelBanButton"
                    text: root.viewModel.cancelTitle
                    onClicked: root.viewModel.cancelBan()
                    Accessible.name: text
                    Accessible.onPressAction: root.viewModel.cancelBan()
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 6

                Button {
                    id: timeoutButton
                    objectName: "timeoutButton"
                    visible: root.viewModel.showsTimeoutAndBan
                    enabled: root.viewModel.areActionsEnabled
                    text: root.viewModel.timeoutTitle
                    onClicked: timeoutMenu.popup(timeoutButton, 0, timeoutButton.height)
                    Accessible.name: text
                    Accessible.onPressAction: timeoutMenu.popup(timeoutButton, 0, timeoutButton.height)

                    Menu {
                        id: timeoutMenu
                        objectName: "timeoutMenu"

                        Instantiator {
                            model: root.viewModel.timeoutChoices
                            delegate: MenuItem {
                                required property string modelData
                                required property int index
                                text: modelData
                                onTriggered: root.viewModel.timeout(index)
                                Accessible.name: text
                            }
                            onObjectAdded: (index, item) => timeoutMenu.insertItem(index, item)
                            onObjectRemoved: (index, item) => timeoutMenu.removeItem(item)
                        }
                    }
                }
                Button {
                    objectName: "banButton"
                    visible: root.viewModel.showsTimeoutAndBan
                    enabled: root.viewModel.areActionsEnabled && !root.viewModel.isConfirmingBan
                    text: root.viewModel.banTitle
                    onClicked: root.viewModel.requestBan()
                    Accessible.name: text
                    Accessible.onPressAction: root.viewModel.requestBan()
                }
                Button {
                    objectName: "unbanButton"
                    visible: root.viewModel.showsUnban
                    enabled: root.viewModel.areActionsEnabled
                    text: root.viewModel.unbanTitle
                    onClicked: root.viewModel.unban()
                    Accessible.name: text
                    Accessible.onPressAction: root.viewModel.unban()
                }
                Item { Layout.fillWidth: true }
                Button {
                    objectName: "closeCardButton"
                    text: root.viewModel.closeTitle
                    onClicked: popup.close()
                    Accessible.name: text
                    Accessible.onPressAction: popup.close()
                }
            }
        }
    }
}
