// The sign-in screen: a header with the icon, name, version and credit, then
// the explanation and the button. Everything it shows and decides comes from
// `viewModel` (AuthenticationViewModel).
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Parley.Authentication

Rectangle {
    id: root

    required property AuthenticationViewModel viewModel

    readonly property color primaryColor: "white"
    readonly property color secondaryColor: Qt.rgba(1, 1, 1, 0.6)

    implicitWidth: Math.max(column.implicitWidth, 316)
    // Taller than 329 points: the explanation wraps to three lines in these fonts.
    implicitHeight: Math.max(392, column.implicitHeight)
    gradient: Gradient {
        GradientStop { position: 0; color: root.viewModel.backgroundTopColor }
        GradientStop { position: 1; color: root.viewModel.backgroundBottomColor }
    }

    ColumnLayout {
        id: column
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 16

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: header.implicitHeight + 18 + 28
            implicitWidth: header.implicitWidth + 56
            color: Qt.rgba(1, 1, 1, 0.14)

            ColumnLayout {
                id: header
                anchors.top: parent.top
                anchors.topMargin: 18
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 8

                Image {
                    Layout.alignment: Qt.AlignHCenter
                    source: "qrc:/parley/authentication/AppIconRaw.svg"
                    sourceSize.width: 64
                    sourceSize.height: 64
                    Accessible.ignored: true
                }
                ColumnLayout {
                    Layout.alignment: Qt.AlignHCenter
                    spacing: 1
                    Text {
                        Layout.alignment: Qt.AlignHCenter
                        text: root.viewModel.applicationName
                        textFormat: Text.PlainText
                        color: root.primaryColor
                        font.pixelSize: 17
                        font.bold: true
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    Text {
                        Layout.alignment: Qt.AlignHCenter
                        text: root.viewModel.versionLine
                        textFormat: Text.PlainText
                        color: root.secondaryColor
                        font.pixelSize: 13
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: root.viewModel.creditPrefix + root.viewModel.author
                    textFormat: Text.PlainText
                    color: root.secondaryColor
                    font.pixelSize: 13
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 316 - 56
            Layout.maximumWidth: 316 - 56
            spacing: 16

            Text {
                Layout.fillWidth: true
                text: root.viewModel.heading
                textFormat: Text.PlainText
                color: root.primaryColor
                font.pixelSize: 22
                font.bold: true
                wrapMode: Text.Wrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            Text {
                Layout.fillWidth: true
                text: root.viewModel.explanation
                textFormat: Text.PlainText
                color: root.secondaryColor
                font.pixelSize: 13
                wrapMode: Text.Wrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            RowLayout {
                Layout.topMargin: 16
                Layout.bottomMargin: 16
                spacing: 8

                Button {
                    id: signInButton
                    objectName: "signInButton"
                    enabled: root.viewModel.isSignInEnabled
                    opacity: root.viewModel.signInOpacity
                    text: root.viewModel.signInTitle
                    leftPadding: 13
                    rightPadding: 13
                    topPadding: 10
                    bottomPadding: 10
                    onClicked: root.viewModel.signIn()
                    Accessible.role: Accessible.Button
                    Accessible.name: text
                    Accessible.onPressAction: root.viewModel.signIn()

                    contentItem: Item {
                        implicitWidth: label.implicitWidth
                        implicitHeight: label.implicitHeight
                        Text {
                            x: 0
                            y: -1
                            text: label.text
                            textFormat: Text.PlainText
                            font: label.font
                            color: Qt.rgba(0, 0, 0, 0.25)
                        }
                        Text {
                            id: label
                            text: signInButton.text
                            textFormat: Text.PlainText
                            font.pixelSize: 13
                            font.weight: Font.Medium
                            color: "white"
                        }
                    }
                    background: Item {
                        implicitWidth: 100
                        implicitHeight: 32
                        Rectangle {
                            // The glow beneath the button.
                            anchors.fill: parent
                            anchors.margins: -3
                            anchors.topMargin: -1
                            anchors.bottomMargin: -5
                            radius: 9
                            color: root.viewModel.glowColor
                            opacity: 0.6
                        }
                        Rectangle {
                            // The drop shadow.
                            anchors.fill: parent
                            anchors.topMargin: 1
                            anchors.bottomMargin: -1
                            radius: 6
                            color: Qt.rgba(0, 0, 0, 0.2)
                        }
                        Rectangle {
                            anchors.fill: parent
                            radius: 6
                            gradient: Gradient {
                                GradientStop { position: 0; color: root.viewModel.buttonTopColor(signInButton.down) }
                                GradientStop { position: 1; color: root.viewModel.buttonBottomColor(signInButton.down) }
                            }
                        }
                        Rectangle {
                            anchors.fill: parent
                            radius: 6
                            color: Qt.rgba(1, 1, 1, 0.1)
                            border.width: 1
                            border.color: Qt.rgba(1, 1, 1, 0.16)
                        }
                    }
                }
                BusyIndicator {
                    objectName: "signInProgress"
                    visible: root.viewModel.showsProgress
                    running: visible
                    implicitWidth: 18
                    implicitHeight: 18
                    Accessible.name: root.viewModel.progressName
                }
            }
            Text {
                objectName: "signInFailure"
                Layout.fillWidth: true
                Layout.topMargin: -16
                visible: text !== ""
                text: root.viewModel.failureText
                textFormat: Text.PlainText
                color: root.primaryColor
                font.pixelSize: 13
                wrapMode: Text.Wrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
}
