import QtQuick
import QtQuick.Controls
import Parley.Chat

// A scrolling column of chat rows that keeps the newest row in view while
// the reader is at, or near, the bottom. Give it a MessageListModel, a theme
// and an emote image loader.
ListView {
    id: list

    required property var theme
    property var emoteImages: null

    readonly property real gap: theme.spacing.points

    clip: true
    spacing: gap
    topMargin: gap
    bottomMargin: gap
    boundsBehavior: Flickable.StopAtBounds
    // A following list makes a row for every new message: rows are pooled
    // rather than built and destroyed each time.
    reuseItems: true
    Accessible.role: Accessible.List
    Accessible.name: qsTr("Chat messages")

    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    delegate: TextMessageView {
        width: ListView.view.width
        theme: list.theme
        emoteImages: list.emoteImages
        messages: list.model
    }

    MessageListScrollState {
        id: scrollState
        model: list.model
    }

    // The geometry the stick-to-bottom rule judges by: the content with its
    // margins, how far the reader has scrolled into it, the visible height.
    // Rows differ in height, so the content's height beyond the built rows is
    // an estimate that shifts as rows are built; while the last row is built,
    // its real position gives the distance to the bottom instead.
    function measure() {
        var scrolled = contentY - originY
        var last = count > 0 ? itemAtIndex(count - 1) : null
        var below = last ? last.y + last.height + bottomMargin - contentY - height
                         : contentHeight + topMargin + bottomMargin - scrolled - height
        scrollState.measure(scrolled + height + below, scrolled, height)
    }
    onContentHeightChanged: measure()
    onContentYChanged: measure()
    onOriginYChanged: measure()
    onHeightChanged: measure()

    // Scrolls once the view has taken in every row of the change (a frame of
    // chat brings several): one scroll for the lot, with the rows laid out.
    function showLast() {
        positionViewAtEnd()
        measure()
        scrollState.scrolledToLast()
    }

    Connections {
        target: scrollState
        function onScrollToLastRequested() { Qt.callLater(list.showLast) }
    }
}
