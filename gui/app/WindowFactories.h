#pragma once
#include <QMap>
#include <QString>

#include <functional>

class TChildForm;
class TfrmMain;
struct CatalogueEntry;

// How the frame makes a window of a class. Entries whose class has no
// factory stand in the Device menu disabled.
using WindowFactory = std::function<TChildForm*(TfrmMain&, const CatalogueEntry&)>;
using WindowFactories = QMap<QString, WindowFactory>;

// The window classes the program has.
const WindowFactories& standardFactories();
