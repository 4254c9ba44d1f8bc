import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Parley
import Parley.Chat

// The chat window's content: the message list, the lines about the
// connection, and the entry bar with its send button, the message's length
// near the limit, and the lines about the length and a failed send. The view
// model decides; this only shows.
Item {
    id: root

    required property SessionViewModel viewModel
    required property ThemeModifier themeModifier
    required property EmoteImageLoader emoteImages
    // The rows' context menu; none without it.
    property MessageMenuViewModel rowMenu: null

    implicitWidth: 360
    implicitHeight: 480

    SystemPalette { id: colors }

    // In overlay mode the game behind shows through.
    Rectangle {
        anchors.fill: parent
        color: Qt.rgba(colors.base.r, colors.base.g, colors.base.b, root.viewModel.backgroundOpacity)
    }

    Shortcut {
        sequence: StandardKey.Find
        onActivated: {
            root.viewModel.startSearch()
            searchField.forceActiveFocus()
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        // The search: while it is open, only the rows that match show.
        Rectangle {
            objectName: "searchBar"
            Layout.fillWidth: true
            visible: root.viewModel.isSearching
            implicitHeight: searchRow.implicitHeight + 12
            color: colors.window

            RowLayout {
                id: searchRow
                x: 6
                width: parent.width - 12
                anchors.verticalCenter: parent.verticalCenter
                spacing: 6

                TextField {
                    id: searchField
                    objectName: "searchField"
                    Layout.fillWidth: true
                    placeholderText: root.viewModel.searchPlaceholder
                    text: root.viewModel.searchText
                    onTextEdited: root.viewModel.searchText = text
                    Keys.onEscapePressed: root.endSearch()
                    Accessible.name: root.viewModel.searchPlaceholder
                }
                Button {
                    objectName: "closeSearchButton"
                    text: "\u2715"
                    flat: true
                    implicitWidth: implicitHeight
                    onClicked: root.endSearch()
                    ToolTip.visible: hovered
                    ToolTip.text: root.viewModel.closeSearchName
                    Accessible.name: root.viewModel.closeSearchName
                    Accessible.onPressAction: root.endSearch()
                }
            }
        }

        MessageList {
            id: messageList
            objectName: "messageList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumWidth: 250
            Layout.minimumHeight: 250
            messages: root.viewModel.messages
            rows: root.viewModel.shownMessages
            themeModifier: root.themeModifier
            emoteImages: root.emoteImages
            outlined: root.viewModel.overlayMode
            rowMenu: root.rowMenu
            onViewerRequested: (messageRow) => root.viewModel.openViewerCard(messageRow)

            Text {
                objectName: "noMatchesLine"
                anchors.centerIn: parent
                width: parent.width - 32
                horizontalAlignment: Text.AlignHCenter
                visible: text !== ""
                text: root.viewModel.noMatchesText
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                color: colors.text
                opacity: 0.6
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                Accessible.ignored: text === ""
            }
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: connectionLines.implicitHeight + 12
            visible: root.viewModel.disconnectedText !== ""
            color: Qt.rgba(0.9, 0.6, 0.1, 0.18)

            Column {
                id: connectionLines
                anchors.verticalCenter: parent.verticalCenter
                x: 8
                width: parent.width - 16
                spacing: 2

                Text {
                    objectName: "disconnectedLine"
                    width: parent.width
                    text: root.viewModel.disconnectedText
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    color: colors.text
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Accessible.ignored: text === ""
                }
                Text {
                    objectName: "reconnectingLine"
                    visible: text !== ""
                    width: parent.width
                    text: root.viewModel.reconnectingText
                    textFormat: Text.PlainText
                    color: colors.text
                    opacity: 0.7
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Accessible.ignored: text === ""
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            visible: root.viewModel.showsEntryBar
            implicitHeight: 1
            color: colors.mid
        }

        Rectangle {
            objectName: "entryBar"
            Layout.fillWidth: true
            visible: root.viewModel.showsEntryBar
            implicitHeight: entryBar.implicitHeight + 16
            color: colors.window

            ColumnLayout {
                id: entryBar
                x: 8
                y: 8
                width: parent.width - 16
                spacing: 4

                // The message the next one answers, with the way out of it.
                RowLayout {
                    objectName: "replyBar"
                    visible: root.viewModel.replyingTo !== ""
                    Layout.fillWidth: true
                    spacing: 6

                    Text {
                        objectName: "replyingTo"
                        Layout.fillWidth: true
                        text: root.viewModel.replyingTo
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        color: colors.text
                        opacity: 0.75
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    ToolButton {
                        objectName: "cancelReplyButton"
                        text: "\u2715"
                        onClicked: root.viewModel.cancelReply()
                        Accessible.name: root.viewModel.cancelReplyName
                        Accessible.onPressAction: root.viewModel.cancelReply()
                        ToolTip.visible: hovered
                        ToolTip.text: root.viewModel.cancelReplyName
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 6

                    TextField {
                        id: field
                        objectName: "messageField"
                        Layout.fillWidth: true
                        placeholderText: root.viewModel.placeholder
                        text: root.viewModel.newMessage
                        onTextEdited: root.viewModel.newMessage = text
                        onAccepted: root.viewModel.send()
                        focus: true
                        Keys.onEscapePressed: (event) => {
                            event.accepted = root.viewModel.isSearching
                            if (event.accepted)
                                root.endSearch()
                        }
                        // The list's keys reach it from the field as well.
                        Keys.onPressed: (event) => {
                            if (event.key === Qt.Key_End && (event.modifiers & Qt.ControlModifier))
                                messageList.followLatest()
                            else if (event.key === Qt.Key_PageUp || event.key === Qt.Key_PageDown)
                                messageList.scrollPage(event.key === Qt.Key_PageUp ? -1 : 1)
                            else
                                return
                            event.accepted = true
                        }
                        rightPadding: characterCount.visible ? characterCount.width + 12 : leftPadding
                        Accessible.name: root.viewModel.placeholder

                        // The length, near the limit: inside the field, at its end.
                        Text {
                            id: characterCount
                            objectName: "characterCount"
                            visible: text !== ""
                            anchors.right: parent.right
                            anchors.rightMargin: 6
                            anchors.verticalCenter: parent.verticalCenter
                            text: root.viewModel.characterCountText
                            textFormat: Text.PlainText
                            font.pointSize: Math.max(8, field.font.pointSize - 2)
                            font.bold: root.viewModel.isTooLong
                            color: root.viewModel.isTooLong ? "red" : colors.text
                            opacity: root.viewModel.isTooLong ? 1 : 0.6
                            Accessible.role: Accessible.StaticText
                            Accessible.name: root.viewModel.characterCountName
                            Accessible.ignored: text === ""
                        }
                    }

                    Button {
                        id: sendButton
                        objectName: "sendButton"
                        enabled: root.viewModel.canSend
                        implicitWidth: implicitHeight
                        Accessible.name: root.viewModel.sendButtonName
                        Accessible.onPressAction: root.viewModel.send()
                        onClicked: root.viewModel.send()
                        ToolTip.visible: hovered
                        ToolTip.text: root.viewModel.sendButtonName

                        contentItem: Canvas {
                            id: plane
                            implicitWidth: 18
                            implicitHeight: 18
                            opacity: sendButton.enabled ? 1.0 : 0.4
                            onPaint: {
                                const ctx = getContext("2d")
                                ctx.reset()
                                ctx.fillStyle = colors.buttonText
                                ctx.beginPath()
                                ctx.moveTo(1, 2)
                                ctx.lineTo(17, 9)
                                ctx.lineTo(1, 16)
                                ctx.lineTo(3.5, 9)
                                ctx.closePath()
                                ctx.fill()
                                ctx.fillStyle = colors.button
                                ctx.beginPath()
                                ctx.moveTo(3.5, 9)
                                ctx.lineTo(10, 9)
                                ctx.lineTo(3.5, 10)
                                ctx.closePath()
                                ctx.fill()
                            }
                        }
                    }
                }

                Text {
                    objectName: "lengthLine"
                    visible: root.viewModel.lengthMessage !== ""
                    Layout.fillWidth: true
                    text: root.viewModel.lengthMessage
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    color: "red"
                    font.pointSize: Math.max(8, field.font.pointSize - 2)
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Accessible.ignored: text === ""
                }

                Text {
                    objectName: "errorLine"
                    Layout.fillWidth: true
                    wrapMode: Text.Wrap
                    visible: root.viewModel.errorMessage !== ""
                    text: root.viewModel.errorMessage
                    textFormat: Text.PlainText
                    color: "red"
                    font.pointSize: Math.max(8, field.font.pointSize - 2)
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    Accessible.ignored: text === ""
                }
            }
        }
    }

    Loader {
        objectName: "viewerCardLoader"
        anchors.fill: parent
        active: root.viewModel.viewerCard !== null
        sourceComponent: ViewerCard {
            viewModel: root.viewModel.viewerCard
            themeModifier: root.themeModifier
            emoteImages: root.emoteImages
            onClosed: root.viewModel.closeViewerCard()
        }
    }

    // Every row again, the list at the newest; typing goes to the message field.
    function endSearch() {
        root.viewModel.endSearch()
        field.forceActiveFocus()
    }
}
