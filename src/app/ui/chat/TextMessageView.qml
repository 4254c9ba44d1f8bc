import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Parley
import Parley.Chat

// One chat row: the sender's badges, the name in the sender's colour with
// its role tooltip and "Copy" menu, the time, and the selectable body with
// inline emotes. A system line shows its headline, marked at the side, with
// the chatter's own words (if any) under it. Every wire value is shown as
// plain text.
Item {
    id: row

    required property int index
    required property int kind
    // Loaded from the recent history, not received live: drawn dimmed.
    required property bool isHistorical
    opacity: isHistorical ? 0.6 : 1.0
    required property string displayName
    required property color nameColor
    required property bool isBroadcaster
    required property string roleTooltip
    required property string timeText
    // A TextWithEmotes, a value QML has no name for.
    required property var body
    required property color bodyColor
    required property bool isBodyItalic
    required property real bodyOpacity
    required property string replyLine
    required property string accessibleName
    required property string headline
    // Maps of "title", "source" and "isBroadcaster", in the order drawn.
    required property var badges
    required property int highlight
    // The row's number in `messages`, also when the list shows a filter over it.
    required property int messageRow

    required property ThemeModifier themeModifier
    property EmoteImageLoader emoteImages: null
    required property MessageListModel messages
    // Names and text with a dark outline, to read over any picture.
    property bool outlined: false
    readonly property color outlineColor: "#c0000000"

    readonly property real padding: themeModifier.theme.spacing.points

    // The sender's card: a click on the name, or Enter on the focused row.
    signal viewerRequested()
    // The row's menu, at `x`, `y` of the row: a right click (the name keeps
    // its own), the Menu key or Shift+F10.
    signal menuRequested(real x, real y)

    implicitHeight: column.implicitHeight
    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    activeFocusOnTab: hasSender
    Keys.onReturnPressed: viewerRequested()
    Keys.onEnterPressed: viewerRequested()
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            menuRequested(padding, height / 2)
            event.accepted = true
        }
    }
    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: (eventPoint) => {
            const point = eventPoint.position
            if (!name.visible || !name.contains(name.mapFromItem(row, point.x, point.y)))
                row.menuRequested(point.x, point.y)
        }
    }
    // A pooled row showing another message: that message comes on screen.
    ListView.onReused: {
        tipsShown = false
        renderer.appear()
    }

    // A tooltip shows while the pointer rests on the row, and goes when the
    // rows scroll under a still pointer (no hover event says so).
    property bool tipsShown: false
    Connections {
        target: row.ListView.view
        function onContentYChanged() { row.tipsShown = false }
    }

    readonly property bool hasSender: kind !== MessageListModel.SystemRow

    SystemPalette { id: colors }

    readonly property color highlightTint: highlight === MessageListModel.MentionHighlight
        ? themeModifier.theme.mentionTint : themeModifier.theme.firstMessageTint
    Rectangle {
        objectName: "highlight"
        visible: row.highlight !== MessageListModel.NoHighlight
        anchors.fill: parent
        color: row.highlightTint
        Accessible.ignored: true
        Rectangle {
            width: 3
            height: parent.height
            color: Qt.rgba(row.highlightTint.r, row.highlightTint.g, row.highlightTint.b, 1)
        }
    }

    Rectangle {
        objectName: "focusFrame"
        visible: row.activeFocus
        anchors.fill: parent
        color: "transparent"
        border.color: colors.highlight
        border.width: 2
        Accessible.ignored: true
    }

    Rectangle {
        objectName: "systemMark"
        visible: row.kind !== MessageListModel.ChatterRow
        width: 3
        height: row.height
        color: colors.highlight
        Accessible.ignored: true
    }

    Column {
        id: column
        x: row.padding
        width: row.width - 2 * row.padding
        spacing: row.themeModifier.theme.spacing.nameToBodyPoints

        Text {
            id: headlineText
            objectName: "headline"
            visible: row.headline !== ""
            width: parent.width
            text: row.headline
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pointSize: row.themeModifier.theme.messageFont.pointSize
            font.italic: true
            color: colors.text
            opacity: 0.75
            Accessible.ignored: true
        }

        Text {
            id: replyLineText
            objectName: "replyLine"
            visible: text !== ""
            width: parent.width
            text: row.replyLine
            textFormat: Text.PlainText
            elide: Text.ElideRight
            maximumLineCount: 1
            font.pointSize: row.themeModifier.theme.messageFont.pointSize - 2
            color: colors.text
            opacity: 0.6
            Accessible.ignored: true
        }

        // Badge, name and, at the far end, the time; when name and time do
        // not fit side by side (large fonts), the time goes under the name.
        // A hidden time takes no room from the name.
        GridLayout {
            id: header
            visible: row.hasSender
            width: parent.width
            columnSpacing: 4
            rowSpacing: 0
            readonly property real badgeRoom: badge.visible ? badge.implicitWidth + columnSpacing : 0
            readonly property bool timeBeside: !time.visible
                || badgeRoom + name.implicitWidth + 2 * columnSpacing + time.implicitWidth <= width
            columns: (badge.visible ? 1 : 0) + (timeBeside ? 3 : 2)

            // The sender's badges in the service's order; one still loading
            // keeps its place, the broadcaster's showing its mark meanwhile.
            Row {
                id: badge
                objectName: "badges"
                visible: badgeRepeater.count > 0
                spacing: 3
                Accessible.ignored: true

                Repeater {
                    id: badgeRepeater
                    model: row.badges

                    Item {
                        id: badgeItem
                        required property var modelData
                        objectName: "badge"
                        width: 18
                        height: 18
                        Accessible.role: Accessible.Graphic
                        Accessible.name: modelData.title

                        Image {
                            objectName: "badgeImage"
                            anchors.fill: parent
                            source: badgeItem.modelData.source
                            visible: source != ""
                            fillMode: Image.PreserveAspectFit
                            smooth: true
                        }
                        BroadcasterBadge {
                            objectName: "broadcasterBadge"
                            anchors.fill: parent
                            visible: badgeItem.modelData.isBroadcaster && badgeItem.modelData.source == ""
                        }
                        HoverHandler {
                            id: badgeHover
                            onPointChanged: row.tipsShown = true
                        }
                        ToolTip.visible: badgeHover.hovered && row.tipsShown
                        ToolTip.text: modelData.title
                    }
                }
            }

            Text {
                id: name
                objectName: "name"
                text: row.displayName
                textFormat: Text.PlainText
                font: row.themeModifier.theme.userFont
                color: row.nameColor
                style: row.outlined ? Text.Outline : Text.Normal
                styleColor: row.outlineColor
                elide: Text.ElideRight
                Layout.maximumWidth: header.width - header.badgeRoom - header.columnSpacing
                    - (header.timeBeside && time.visible ? time.implicitWidth + header.columnSpacing : 0)
                Accessible.ignored: true

                HoverHandler {
                    id: nameHover
                    cursorShape: Qt.PointingHandCursor
                    onPointChanged: row.tipsShown = true
                }
                ToolTip.visible: nameHover.hovered && row.tipsShown && row.roleTooltip !== ""
                ToolTip.text: row.roleTooltip

                // The menu is made on first use: rows come and go by the thousand.
                TapHandler {
                    acceptedButtons: Qt.RightButton
                    onTapped: nameMenu.createObject(name).popup()
                }
                TapHandler {
                    onTapped: row.viewerRequested()
                }
                Component {
                    id: nameMenu
                    Menu {
                        onClosed: destroy()
                        MenuItem {
                            text: row.messages.copyDisplayNameTitle
                            onTriggered: row.messages.copyDisplayName(row.messageRow)
                        }
                    }
                }
            }

            Item { Layout.fillWidth: true }

            Text {
                id: time
                objectName: "time"
                Layout.columnSpan: header.timeBeside ? 1 : header.columns
                visible: row.themeModifier.theme.showMessageTimestamp
                text: row.timeText
                textFormat: Text.PlainText
                font.pointSize: row.themeModifier.theme.messageFont.pointSize - 1
                color: colors.text
                opacity: 0.6
                Accessible.ignored: true
            }
        }

        TextEdit {
            id: bodyText
            objectName: "body"
            visible: row.hasSender
            width: parent.width
            textFormat: TextEdit.PlainText
            readOnly: true
            selectByMouse: true
            wrapMode: TextEdit.Wrap
            font.family: row.themeModifier.theme.messageFont.family
            font.pointSize: row.themeModifier.theme.messageFont.pointSize
            font.weight: row.themeModifier.theme.messageFont.weight
            font.italic: row.isBodyItalic
            color: row.bodyColor
            opacity: row.bodyOpacity
            selectionColor: colors.highlight
            selectedTextColor: colors.highlightedText
            // Focused by a click, so Ctrl+C copies what the mouse selected.
            activeFocusOnPress: true
            Accessible.ignored: true

            TextOutlineItem {
                objectName: "bodyOutline"
                visible: row.outlined
                anchors.fill: parent
                z: -1
                document: bodyText.textDocument
                color: row.outlineColor
            }

            TextWithEmotesRenderer {
                id: renderer
                document: bodyText.textDocument
                content: row.body
                loader: row.emoteImages
            }
            Component.onCompleted: renderer.appear()

            // Animated emotes play over the transparent places the text keeps for them.
            Repeater {
                model: renderer.animatedEmotes
                delegate: AnimatedEmoteItem {
                    objectName: "animatedEmote"
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
                    loader: row.emoteImages
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
