import QtQuick
import QtQuick.Controls
import Parley
import Parley.Chat

// A scrolling column of chat rows that keeps the newest row in view while
// the reader is at, or near, the bottom, and offers the way back once they
// have scrolled up. Give it a MessageListModel, a theme modifier and an emote
// image loader (without one, emotes show by name). The wheel, the keys and
// the scroll bar are the reader's moves; the scroll state decides what each
// means.
FocusScope {
    id: root

    required property ThemeModifier themeModifier
    property EmoteImageLoader emoteImages: null
    required property MessageListModel messages
    // The rows shown: the messages, or a filter over them (a search).
    property var rows: messages
    // Names and text with a dark outline, to read over any picture.
    property bool outlined: false
    // The rows' context menu; none without it.
    property MessageMenuViewModel rowMenu: null

    // A row asked for its sender's card (a click on the name, Enter).
    signal viewerRequested(int messageRow)

    readonly property real gap: themeModifier.theme.spacing.points

    FontMetrics {
        id: lineMetrics
        font: root.themeModifier.theme.messageFont
    }

    ListView {
        id: list
        objectName: "rows"
        model: root.rows
        anchors.fill: parent
        focus: true
        activeFocusOnTab: true
        clip: true
        spacing: root.gap
        topMargin: root.gap
        bottomMargin: root.gap
        // Dragging selects text in the rows; the wheel and the scroll bar scroll.
        interactive: false
        // A following list makes a row for every new message: rows are pooled
        // rather than built and destroyed each time.
        reuseItems: true
        Accessible.role: Accessible.List
        Accessible.name: root.messages.listName

        ScrollBar.vertical: ScrollBar {
            policy: ScrollBar.AsNeeded
            onPositionChanged: if (pressed) scrollState.userScrolled()
        }

        delegate: TextMessageView {
            id: rowView
            width: ListView.view.width
            themeModifier: root.themeModifier
            emoteImages: root.emoteImages
            messages: root.messages
            outlined: root.outlined
            onViewerRequested: root.viewerRequested(messageRow)
            // Held by the list, not the row: a following list moves its rows,
            // and a menu moving under the pointer would take the wrong item.
            onMenuRequested: (x, y) => {
                if (!root.rowMenu.open(rowView.messageRow))
                    return
                const place = rowView.mapToItem(root, x, y)
                rowMenuView.item.popup(root, place.x, place.y)
            }
        }

        // The geometry the stick-to-bottom rule judges by: the content with
        // its margins, how far the reader has scrolled into it, the visible
        // height. Rows differ in height, so the content's height beyond the
        // built rows is an estimate; while the last row is built, its real
        // position gives the distance to the bottom instead.
        function measure() {
            const scrolled = contentY - originY
            const last = count > 0 ? itemAtIndex(count - 1) : null
            const below = last ? last.y + last.height + bottomMargin - contentY - height
                               : contentHeight + topMargin + bottomMargin - scrolled - height
            scrollState.measure(scrolled + height + below, scrolled, height)
        }
        function layoutChanged() {
            measure()
            scrollState.layoutChanged()
        }
        onContentHeightChanged: layoutChanged()
        onOriginYChanged: measure()
        onContentYChanged: measure()
        onHeightChanged: layoutChanged()
        onWidthChanged: layoutChanged()

        // Moves by `distance` points within the content, as the reader asked.
        function scrollBy(distance) {
            const top = originY - topMargin
            const bottom = Math.max(top, originY + contentHeight + bottomMargin - height)
            contentY = Math.min(Math.max(contentY + distance, top), bottom)
            scrollState.userScrolled()
        }

        // Scrolls once the view has taken in every change of this turn of
        // the event loop (a frame of chat brings several rows): one scroll
        // for the lot, with the rows laid out. The reader may have scrolled
        // away since it was asked for.
        function showLast() {
            if (!scrollState.isFollowing)
                return
            positionViewAtEnd()
            measure()
        }

        Keys.onPressed: (event) => {
            const line = lineMetrics.lineSpacing
            if (event.key === Qt.Key_End)
                scrollState.followLatest()
            else if (event.key === Qt.Key_Home)
                scrollBy(-contentY - contentHeight)
            else if (event.key === Qt.Key_PageUp)
                scrollBy(line - height)
            else if (event.key === Qt.Key_PageDown)
                scrollBy(height - line)
            else if (event.key === Qt.Key_Up)
                scrollBy(-line)
            else if (event.key === Qt.Key_Down)
                scrollBy(line)
            else
                return
            event.accepted = true
        }
    }

    MouseArea {
        anchors.fill: list
        // Only the wheel: clicks and drags reach the rows beneath.
        acceptedButtons: Qt.NoButton
        onWheel: (wheel) => list.scrollBy(scrollState.wheelScrollDistance(wheel.angleDelta.y, lineMetrics.lineSpacing))
    }

    Button {
        objectName: "moreMessagesButton"
        anchors.horizontalCenter: list.horizontalCenter
        anchors.bottom: list.bottom
        anchors.bottomMargin: 8
        visible: !scrollState.isFollowing
        highlighted: true
        leftPadding: 14
        rightPadding: 14
        text: scrollState.moreMessagesText
        onClicked: scrollState.followLatest()
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: scrollState.followLatest()
    }

    Loader {
        id: rowMenuView
        active: root.rowMenu !== null
        sourceComponent: MessageMenu {
            viewModel: root.rowMenu
        }
    }

    MessageListScrollState {
        id: scrollState
        model: root.rows
    }

    Connections {
        target: scrollState
        function onScrollToLastRequested() { Qt.callLater(list.showLast) }
    }

    // The newest row, for keys pressed outside the list (Ctrl+End in the
    // message field).
    function followLatest() { scrollState.followLatest() }
    // A page up or down, for the same keys.
    function scrollPage(direction) { list.scrollBy(direction * (list.height - lineMetrics.lineSpacing)) }
}
