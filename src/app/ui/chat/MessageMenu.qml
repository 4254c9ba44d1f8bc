import QtQuick
import QtQuick.Controls
import Parley.Chat

// A chat row's context menu and the question asked before a ban. The view
// model decides which items the row offers; items it does not offer take no
// room and are skipped by the keys.
Item {
    id: root

    required property MessageMenuViewModel viewModel

    // Shows the menu at `x`, `y` of `item`, for the row the view model was opened for.
    function popup(item, x, y) { menu.popup(item, x, y) }

    component OfferedItem: MenuItem {
        required property bool offered
        visible: offered
        enabled: offered
        height: offered ? implicitHeight : 0
        Accessible.name: text
    }

    Menu {
        id: menu
        objectName: "rowMenu"

        // Makes the timeout submenu's item, which only a moderation row offers.
        delegate: OfferedItem {
            offered: root.viewModel.offersTimeout
        }

        OfferedItem {
            objectName: "copyMessageItem"
            offered: true
            text: root.viewModel.copyTitle
            onTriggered: root.viewModel.copyMessage()
        }
        OfferedItem {
            objectName: "replyItem"
            offered: root.viewModel.offersReply
            text: root.viewModel.replyTitle
            onTriggered: root.viewModel.reply()
        }
        OfferedItem {
            objectName: "deleteMessageItem"
            offered: root.viewModel.offersDelete
            text: root.viewModel.deleteTitle
            onTriggered: root.viewModel.deleteMessage()
        }
        Menu {
            objectName: "timeoutMenu"
            title: root.viewModel.timeoutTitle

            Repeater {
                model: root.viewModel.timeoutChoices
                MenuItem {
                    required property int index
                    required property string modelData
                    text: modelData
                    Accessible.name: text
                    onTriggered: root.viewModel.timeout(index)
                }
            }
        }
        OfferedItem {
            objectName: "banItem"
            offered: root.viewModel.offersBan
            text: root.viewModel.banTitle
            onTriggered: banQuestion.open()
        }
        OfferedItem {
            objectName: "unbanItem"
            offered: root.viewModel.offersUnban
            text: root.viewModel.unbanTitle
            onTriggered: root.viewModel.unban()
        }
    }

    Dialog {
        id: banQuestion
        objectName: "banQuestion"
        parent: Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(320, parent ? parent.width - 24 : 320)
        modal: true
        title: root.viewModel.banTitle
        onAccepted: root.viewModel.ban()

        Label {
            width: parent.width
            text: root.viewModel.banQuestion
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        footer: DialogButtonBox {
            Button {
                text: root.viewModel.banTitle
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
                Accessible.name: text
            }
            Button {
                text: root.viewModel.cancelTitle
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
                Accessible.name: text
            }
        }
    }
}
