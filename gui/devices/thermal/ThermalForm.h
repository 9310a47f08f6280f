#pragma once
#include "core/common/Status.h"
#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"
#include "gui/devices/thermal/TemperaturePlot.h"

#include <QList>

#include <cstdint>

class QBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSplitter;

// What the four temperature sensor windows share: the chip link and its
// address list, register transfers, and the layout that puts the register
// controls beside the live temperature plot.
class TThermalForm : public TChildForm {
    Q_OBJECT
public:
    TThermalForm(TfrmMain& main, const QString& windowClass, const QString& chipType, QWidget* parent = nullptr);

    ChipLink& link() { return m_link; }
    TemperaturePlot* plot() const { return m_plot; }

public slots:
    void cmbAddressChange(int index);

protected:
    // The address list in group "Device Address". `keepAddress`: the list
    // shows the address the class kept from an earlier window (the first
    // item in a new run); otherwise it starts at the first item, and so
    // does the address.
    QGroupBox* makeAddressGroup(const QList<std::uint8_t>& addresses, bool keepAddress);
    QComboBox* addressList() const { return cmbAddress; }

    // The window's layout: the register controls, in `columns` side by side
    // (one under the other when the window is narrow, scrolling when it is
    // small), beside or in a narrow window above the plot of `channels`.
    void setPanels(const QList<QWidget*>& columns, const QStringList& channels, TemperaturePlot::Sampler sampler);
    // A column for setPanels(): the widgets from top to bottom.
    static QWidget* column(const QList<QWidget*>& widgets);

    // Transfers with the register pointer first; reads put the pointer and
    // read behind a repeated start. Words travel most significant byte
    // first. None shows its status.
    tp::Status readByte(std::uint8_t reg, std::uint8_t& value);
    tp::Status readWord(std::uint8_t reg, std::uint16_t& value);
    tp::Status writeByte(std::uint8_t reg, std::uint8_t value);
    tp::Status writeWord(std::uint8_t reg, std::uint16_t value);
    void showStatus(tp::Status status) { m_link.showStatus(status); }

    // Small builders.
    QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent);
    QLabel* makeText(const QString& text, const QString& name, QWidget* parent, bool framed = false);
    QGroupBox* makeGroup(const QString& title, const QString& name, QWidget* parent);

    char decimalSeparator() const;

    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void arrange();

    ChipLink m_link;
    QList<std::uint8_t> m_addresses;
    QComboBox* cmbAddress = nullptr;
    TemperaturePlot* m_plot = nullptr;
    QSplitter* m_splitter = nullptr;
    QScrollArea* m_scroll = nullptr;
    QList<QWidget*> m_columns;
    QBoxLayout* m_columnsLayout = nullptr;
    bool m_arrangePosted = false;
};
