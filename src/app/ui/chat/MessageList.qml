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
    function measure() {
        scrollState.measure(contentHeight + topMargin + bottomMargin,
                            contentY - originY, height)
    }
    onContentHeightChanged: measure()
    onContentYChanged: measure()
    onOriginYChanged: measure()
    onHeightChanged: measure()

    Connections {
        target: scrollState
        function onScrollToLastRequested() {
            list.positionViewAtEnd()
            list.measure()
        }
    }
}
