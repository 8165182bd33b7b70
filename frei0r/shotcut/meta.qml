// SPDX-License-Identifier: GPL-2.0-or-later
// Shotcut's entry for the fyrel frei0r filter; its controls are in ui.qml.
import QtQuick 2.0
import org.shotcut.qml 1.0

Metadata {
    type: Metadata.Filter
    name: qsTr("Fyrel Fire")
    keywords: qsTr('fire flame burn', 'search keywords for the Fyrel Fire video filter') + ' fyrel'
    mlt_service: 'frei0r.fyrel'
    qml: 'ui.qml'
}
