#pragma once
#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>

// One entry of the Device menu: where it stands, what it opens, what it presets.
struct CatalogueEntry {
    QString submenu;
    QString caption;
    QString handler;     // e.g. "mnuPCA9554Click"
    QString windowClass; // e.g. "TfrmPCA9554"
    bool newWindow = false; // memory windows: a new window on every choice
    QList<QPair<QString, int>> selectorIndices; // address selector object name -> item index
    QList<std::uint8_t> addresses;              // current slave address byte(s), in chip order
    int memorySize = 0;                         // memory windows: bytes
    bool ram = false;                           // memory windows: RAM / FRAM rather than EEPROM

    QString actionName() const; // object name of the menu action
};

using Catalogue = QList<CatalogueEntry>;

// Every entry of the Device menu, in menu order.
const Catalogue& standardCatalogue();
