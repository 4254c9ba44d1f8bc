import QtQuick

// The broadcaster's mark: a red rounded square with a white camera.
Rectangle {
    implicitWidth: 16
    implicitHeight: 16
    radius: 3
    color: "#e5252a"

    Rectangle {
        x: 3; y: 5
        width: 7; height: 6
        radius: 1
        color: "white"
    }
    Rectangle {
        x: 10; y: 6
        width: 3; height: 4
        color: "white"
    }
}
