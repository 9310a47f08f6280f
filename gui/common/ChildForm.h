#pragma once
#include "core/common/BusContext.h"
#include "core/common/Status.h"

#include <QList>
#include <QWidget>

class QMenu;
class TfrmMain;
struct CatalogueEntry;

namespace tp {
class Adapter;
}

// Base of every child window of the frame. It carries the conventions all
// chip and memory windows share: destroyed on close, maximised and the
// status line blanked when it becomes active, the status line blanked on
// destruction, a File menu that takes the frame's place while active, the
// Device-menu presets, and the program-level bus context of its class.
class ChipLink;

class TChildForm : public QWidget {
    Q_OBJECT
public:
    TChildForm(TfrmMain& main, const QString& windowClass, QWidget* parent = nullptr);
    ~TChildForm() override;

    const QString& windowClass() const { return m_windowClass; }
    TfrmMain& main() const { return m_main; }
    tp::BusContext& context() const;
    tp::Adapter& adapter() const;

    // Menus that stand before the frame's Device menu while this window is active.
    QList<QMenu*> childMenus() const { return m_menus; }

    // Called by the Device menu on every choice of one of this class's entries.
    virtual void applyPreset(const CatalogueEntry& entry);
    // Chooses the 8-bit address `address` in the window's address list as
    // the user would (its own reaction runs), for a window opened on an
    // address found on the bus. Of several lists, the one named after the
    // entry's chip. False when no list offers it.
    virtual bool selectAddress(std::uint8_t address, const CatalogueEntry& entry);

    // Called by the frame each time this window becomes the active child.
    virtual void FormActivate();

    // Tells the adapter which chips the window will talk to, so the bench
    // places them when the window opens and a bus scan finds them. By
    // default the chips of the window's ChipLinks.
    virtual void placeChips();
    void addChipLink(ChipLink* link) { m_links.push_back(link); }
    void removeChipLink(ChipLink* link) { m_links.removeAll(link); }

    bool maximiseOnActivate() const { return m_maximise; }
    bool opensMaximised() const { return m_openMaximised; }
    // A second window of the same title carries ": n" after whatever title it sets.
    int titleNumber() const { return m_titleNumber; }
    void setTitleNumber(int n);
    QString baseTitle() const;

    // For a caller that writes the status line itself once the windows are gone.
    void keepStatusOnDestroy() { m_blankOnDestroy = false; }

protected:
    void changeEvent(QEvent* event) override;

    // Adds a menu that merges into the frame's menu bar while active.
    QMenu* addChildMenu(const QString& title, const QString& objectName);
    // The standard File menu: "Close", "Close All", "E&xit".
    QMenu* addFileMenu();

    void setMaximiseOnActivate(bool on) { m_maximise = on; }
    void setOpensMaximised(bool on) { m_openMaximised = on; }
    void setBlankOnDestroy(bool on, tp::Align align = tp::Align::Left)
    {
        m_blankOnDestroy = on;
        m_destroyAlign = align;
    }
    // Start value of chip `chip`'s address byte, taken only by the first
    // window of the class in this run (call it in the constructor).
    void setStartAddress(int chip, std::uint8_t address);

protected slots:
    void mnuCloseClick();
    void mnuCloseAllClick();
    void mnuExitClick();

private:
    QList<ChipLink*> m_links;
    TfrmMain& m_main;
    QString m_windowClass;
    QList<QMenu*> m_menus;
    bool m_maximise = true;
    bool m_openMaximised = false;
    bool m_blankOnDestroy = true;
    tp::Align m_destroyAlign = tp::Align::Left;
    bool m_firstOfClass;
    int m_titleNumber = 1;
};
