// Shotcut's controls for the fyrel frei0r filter, in the effect's own units. The filter takes
// 0..1: a slider of range min..max is sent as (value - min) / (max - min), which the filter
// maps back to the same integer (Fire Direction: degrees / 360); check boxes are sent as 1 or
// 0, colours as colour strings. The filter's `threads` property is never set: MLT would cut
// the frame into slices, each with a fire of its own.
import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import Shotcut.Controls 1.0 as Shotcut

Item {
    id: root

    // [name, min, max, default] in the effect's units
    readonly property var sliders: [
        ['Velocity', 1, 100, 45], ['Height', 0, 255, 13], ['Soot', 0, 255, 1],
        ['Width', 0, 255, 41], ['Amplitude', 0, 255, 12], ['Alpha', 0, 255, 213],
        ['Color 2 Position', 0, 255, 85], ['Color 3 Position', 0, 255, 171],
        ['Fire Direction', 0, 360, 0]
    ]
    // [name, default]
    readonly property var colours: [
        ['Color 1', '#ffffff'], ['Color 2', '#ffff00'], ['Color 3', '#ff0000'],
        ['Color 4', '#000000']
    ]
    readonly property var checkBoxes: [
        ['Custom Color', false], ['Birth', true], ['Drop', true], ['Invert Source', true]
    ]
    property var parameterNames: []
    property bool blockUpdate: true

    // The controls read the filter's values again.
    signal refresh()

    function sendSlider(row, value) {
        filter.set(row[0], (value - row[1]) / (row[2] - row[1]));
    }

    function shownSlider(row) {
        return row[1] + Math.round(filter.getDouble(row[0]) * (row[2] - row[1]));
    }

    function setControls() {
        blockUpdate = true;
        refresh();
        blockUpdate = false;
    }

    width: 350
    height: layout.implicitHeight + 16
    Component.onCompleted: {
        var names = [];
        var i;
        for (i = 0; i < sliders.length; i++) names.push(sliders[i][0]);
        for (i = 0; i < colours.length; i++) names.push(colours[i][0]);
        for (i = 0; i < checkBoxes.length; i++) names.push(checkBoxes[i][0]);
        parameterNames = names;
        presetItem.parameters = names;
        if (filter.isNew) {
            for (i = 0; i < sliders.length; i++) sendSlider(sliders[i], sliders[i][3]);
            for (i = 0; i < colours.length; i++) filter.set(colours[i][0], colours[i][1]);
            for (i = 0; i < checkBoxes.length; i++) filter.set(checkBoxes[i][0], checkBoxes[i][1] ? 1 : 0);
            filter.savePreset(names);
        }
        setControls();
    }

    ColumnLayout {
        id: layout

        anchors.fill: parent
        anchors.margins: 8

        RowLayout {
            Label {
                text: qsTr('Preset')
                Layout.preferredWidth: 120
                horizontalAlignment: Text.AlignRight
            }

            Shotcut.Preset {
                id: presetItem

                Layout.fillWidth: true
                onPresetSelected: setControls()
            }
        }

        Repeater {
            model: root.sliders

            RowLayout {
                Label {
                    text: modelData[0]
                    Layout.preferredWidth: 120
                    horizontalAlignment: Text.AlignRight
                }

                Shotcut.SliderSpinner {
                    id: slider

                    Layout.fillWidth: true
                    minimumValue: modelData[1]
                    maximumValue: modelData[2]
                    suffix: modelData[0] === 'Fire Direction' ? ' °' : ''
                    onValueChanged: {
                        if (!root.blockUpdate)
                            root.sendSlider(modelData, Math.round(value));
                    }
                }

                Shotcut.UndoButton {
                    onClicked: slider.value = modelData[3]
                }

                Connections {
                    function onRefresh() {
                        slider.value = root.shownSlider(modelData);
                    }

                    target: root
                }
            }
        }

        Repeater {
            model: root.colours

            RowLayout {
                Label {
                    text: modelData[0]
                    Layout.preferredWidth: 120
                    horizontalAlignment: Text.AlignRight
                }

                Shotcut.ColorPicker {
                    id: picker

                    onValueChanged: {
                        if (!root.blockUpdate) {
                            filter.set(modelData[0], value);
                            filter.set('disable', 0);
                        }
                    }
                    onPickStarted: filter.set('disable', 1)
                    onPickCancelled: filter.set('disable', 0)
                }

                Shotcut.UndoButton {
                    onClicked: picker.value = modelData[1]
                }

                Connections {
                    function onRefresh() {
                        picker.value = filter.get(modelData[0]);
                    }

                    target: root
                }
            }
        }

        Repeater {
            model: root.checkBoxes

            RowLayout {
                Item {
                    Layout.preferredWidth: 120
                }

                CheckBox {
                    id: box

                    text: modelData[0]
                    onCheckedChanged: {
                        if (!root.blockUpdate)
                            filter.set(modelData[0], checked ? 1 : 0);
                    }
                }

                Shotcut.UndoButton {
                    onClicked: box.checked = modelData[1]
                }

                Connections {
                    function onRefresh() {
                        box.checked = filter.getDouble(modelData[0]) >= 0.5;
                    }

                    target: root
                }
            }
        }

        Item {
            Layout.fillHeight: true
        }
    }
}
