import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Parley.Chat

// One chat row: the broadcaster badge, the name in the sender's colour with
// its role tooltip and "Copy" menu, the time, and the selectable body with
// inline emotes. Every wire value is shown as plain text.
Item {
    id: row

    required property int index
    required property string displayName
    required property var nameColor
    required property bool isBroadcaster
    required property string roleTooltip
    required property string timeText
    required property var body
    required property string replyTo
    required property string replyText
    required property string accessibleName

    required property var theme
    property var emoteImages: null
    property var messages: null

    readonly property real padding: theme.spacing.points

    implicitHeight: column.implicitHeight
    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    // A pooled row showing another message: that message comes on screen.
    ListView.onReused: renderer.appear()

    SystemPalette { id: colors }

    Column {
        id: column
        x: row.padding
        width: row.width - 2 * row.padding
        spacing: row.theme.spacing.nameToBodyPoints

        Text {
            id: replyLine
            objectName: "replyLine"
            visible: row.replyTo !== ""
            width: parent.width
            text: qsTr("Replying to %1: ").arg(row.replyTo) + row.replyText
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            font.pointSize: row.theme.messageFont.pointSize - 2
            color: colors.text
            opacity: 0.6
            Accessible.ignored: true
        }

        RowLayout {
            width: parent.width
            spacing: 4

            BroadcasterBadge {
                objectName: "broadcasterBadge"
                visible: row.isBroadcaster
                Accessible.ignored: true
                HoverHandler { id: badgeHover }
                ToolTip.visible: badgeHover.hovered && row.roleTooltip !== ""
                ToolTip.text: row.roleTooltip
            }

            Text {
                id: name
                objectName: "name"
                text: row.displayName
                textFormat: Text.PlainText
                font: row.theme.userFont
                color: row.nameColor !== undefined ? row.nameColor : colors.text
                elide: Text.ElideRight
                Layout.maximumWidth: parent.width - time.width - 24
                Accessible.ignored: true

                HoverHandler { id: nameHover }
                ToolTip.visible: nameHover.hovered && row.roleTooltip !== ""
                ToolTip.text: row.roleTooltip

                // The menu is made on first use: rows come and go by the thousand.
                TapHandler {
                    acceptedButtons: Qt.RightButton
                    onTapped: nameMenu.createObject(name).popup()
                }
                Component {
                    id: nameMenu
                    Menu {
                        onClosed: destroy()
                        MenuItem {
                            text: qsTr("Copy")
                            onTriggered: if (row.messages) row.messages.copyDisplayName(row.index)
                        }
                    }
                }
            }

            Item { Layout.fillWidth: true }

            Text {
                id: time
                objectName: "time"
                visible: row.theme.showMessageTimestamp
                text: row.timeText
                textFormat: Text.PlainText
                font.pointSize: row.theme.messageFont.pointSize - 1
                color: colors.text
                opacity: 0.6
                Accessible.ignored: true
            }
        }

        TextEdit {
            id: bodyText
            objectName: "body"
            width: parent.width
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            font: row.theme.messageFont
            color: colors.text
            selectionColor: colors.highlight
            selectedTextColor: colors.highlightedText
            activeFocusOnPress: false
            Accessible.ignored: true

            TextWithEmotesRenderer {
                id: renderer
                document: bodyText.textDocument
                content: row.body
                loader: row.emoteImages
            }
            Component.onCompleted: renderer.appear()
        }
    }
}
