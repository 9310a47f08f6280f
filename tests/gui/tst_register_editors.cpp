#include "gui/common/UpDownButtons.h"
#include "gui/universal/Bits.h"
#include "gui/universal/DefinitionGridModel.h"
#include "gui/universal/Slider.h"
#include "gui/universal/Spinner.h"
#include "gui/universal/editcell.h"
#include "tests/gui/UserDeviceFixture.h"
#include "tests/support/WindowChecks.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

using Answer = Dialogs::Answer;

namespace {

// The editor of `Control` opened on the current register.
template <class Control> Control* newest(TfrmLongI2C* w)
{
    const QList<TRegisterControl*> all = w->registerControls();
    return all.isEmpty() ? nullptr : qobject_cast<Control*>(all.last());
}

void clickBit(TfrmBits* bits, int bit)
{
    QLineEdit* e = bits->digit(bit);
    QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
}

QString digits(TfrmBits* bits)
{
    QString out;
    for (int bit = 7; bit >= 0; --bit)
        out += bits->digit(bit)->text();
    return out;
}

} // namespace

class TestRegisterEditors : public QObject {
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<UserDeviceFixture>(); }
    void cleanup() { f.reset(); }

    void liveControlsOpen_data();
    void liveControlsOpen();
    void liveControlRefusesUndefinedRegister();
    void bitsWriteWithAutoWrite();
    void bitsShowTheCell();
    void spinStopsAtTheEnds();
    void sliderToZero();
    void openingNeverWrites();
    void twoBitWindowsStayConsistent();
    void smallerMaxRegisterClosesEditors();

    void valueDialog();
    void valueDialogStaysWithItsRegister();
    void valueDialogLocksTheMenus();

    void defineNewDevice();
    void defineNumberOfRegisters();
    void defineUpDownAndFill();
    void editCurrentDevice();
    void defineAddressAppliesOnOkOnly();

    void editorWindowsFit();

private:
    std::unique_ptr<UserDeviceFixture> f;
};

// ------------------------------------------------------------------ live controls

void TestRegisterEditors::liveControlsOpen_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("autoName");
    QTest::addColumn<QString>("autoHint");
    QTest::newRow("slider button") << "btnSlider"
                                   << "TfrmSlider"
                                   << "chbAuto"
                                   << "Send I\u00B2C message when slider changed";
    QTest::newRow("spin button") << "btnSpin"
                                 << "TfrmSpin"
                                 << "chbUpdate"
                                 << "Send I\u00B2C message when value changed";
    QTest::newRow("bits button") << "btnBits"
                                 << "TfrmBits"
                                 << "chbBitsUpdate"
                                 << "Send I\u00B2C message when value changed";
    QTest::newRow("slider menu") << "mnuPopupSlider"
                                 << "TfrmSlider"
                                 << "chbAuto"
                                 << "Send I\u00B2C message when slider changed";
    QTest::newRow("spin menu") << "mnuPopupSpin"
                               << "TfrmSpin"
                               << "chbUpdate"
                               << "Send I\u00B2C message when value changed";
    QTest::newRow("bits menu") << "mnuPopupBits"
                               << "TfrmBits"
                               << "chbBitsUpdate"
                               << "Send I\u00B2C message when value changed";
}

void TestRegisterEditors::liveControlsOpen()
{
    QFETCH(QString, how);
    QFETCH(QString, kind);
    QFETCH(QString, autoName);
    QFETCH(QString, autoHint);
    f->device().setValue(0x1F, 0x3C);
    f->device().setRegisterName(0x1F, "Control");
    f->select(0x1F);
    if (how.startsWith("btn"))
        f->click(qPrintable(how));
    else
        f->action(how)->trigger();
    QCOMPARE(f->w->registerControls().size(), 1);
    TRegisterControl* c = f->w->registerControls().first();
    QCOMPARE(c->metaObject()->className(), qPrintable(kind));
    QCOMPARE(c->windowTitle(), QString("0x1F"));
    QCOMPARE(c->registerIndex(), 0x1F);
    QCOMPARE(child<QLabel>(c, "lblRegName")->text(), QString("Control"));
    auto* box = child<QCheckBox>(c, autoName);
    QCOMPARE(box->toolTip(), autoHint);
    QVERIFY(!box->isChecked());
    QCOMPARE(box->text(), QString("Auto Write Off"));
    QCOMPARE(box->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    box->setChecked(true);
    QCOMPARE(box->text(), QString("Auto Write On"));
    QCOMPARE(box->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QVERIFY(c->isVisible());
    QVERIFY(c->windowFlags() & Qt::Tool);
    if (auto* s = qobject_cast<TfrmSlider*>(c)) {
        QCOMPARE(s->slider()->value(), 0x3C);
        QCOMPARE(s->slider()->orientation(), Qt::Vertical);
        QCOMPARE(s->slider()->maximum(), 255);
        QCOMPARE(s->slider()->singleStep(), 1);
    } else if (auto* sp = qobject_cast<TfrmSpin*>(c)) {
        QCOMPARE(sp->spin()->value(), 0x3C);
        QCOMPARE(sp->valueLabel()->text(), QString("0x3C"));
        QCOMPARE(sp->spin()->toolTip(), QString("Click on up/down arrows to inc./dec. value"));
    } else if (auto* b = qobject_cast<TfrmBits*>(c)) {
        QCOMPARE(digits(b), QString("00111100"));
        QCOMPARE(b->toolTip(), QString("Click on bits to toggle value"));
        QVERIFY(b->digit(7)->isReadOnly());
    }
    QCOMPARE(f->bench->transfers(), QStringList());
}

void TestRegisterEditors::liveControlRefusesUndefinedRegister()
{
    f->openFile(f->writeFile("e.def", crlfLines({"[Device Data]", "Address=A0", "MaxRegister=17"})));
    f->select(0x13);
    f->click("btnSlider");
    f->action("mnuPopupBits")->trigger();
    f->click("btnSpin");
    f->action("mnuCurrentRegister")->trigger();
    QCOMPARE(f->dialogs().texts("information"), QStringList(4, "Cannot edit an undefined cell"));
    QVERIFY(f->w->registerControls().isEmpty());
    QVERIFY(!f->w->editCellDialog());
}

void TestRegisterEditors::bitsWriteWithAutoWrite()
{
    f->select(0x1F);
    f->device().setValue(0x1F, 0x00);
    f->click("btnBits");
    auto* bits = newest<TfrmBits>(f->w);
    QVERIFY(bits);
    child<QCheckBox>(bits, "chbBitsUpdate")->setChecked(true);
    f->select(0);
    clickBit(bits, 0);
    QCOMPARE(f->cell(0x1F), QString("01"));
    QCOMPARE(f->w->currentRegister(), 0x1F); // a change selects its register
    clickBit(bits, 7);
    QCOMPARE(f->cell(0x1F), QString("81"));
    QCOMPARE(f->bench->transfers(), (QStringList{"W A0 1F 01", "W A0 1F 81"}));
    QCOMPARE(f->chip->reg(0x1F), std::uint8_t(0x81));
    QVERIFY(f->device().modified());

    // Auto Write off: the cell changes, the bus stays quiet.
    child<QCheckBox>(bits, "chbBitsUpdate")->setChecked(false);
    f->bench->clearLog();
    clickBit(bits, 7);
    QCOMPARE(f->cell(0x1F), QString("01"));
    QCOMPARE(f->bench->transfers(), QStringList());
}

void TestRegisterEditors::bitsShowTheCell()
{
    f->device().setValue(5, 0x0A);
    f->select(5);
    f->click("btnBits");
    auto* bits = newest<TfrmBits>(f->w);
    QCOMPARE(digits(bits), QString("00001010"));
    // Bit 7 of a register at 00 gives 80.
    f->device().setValue(6, 0x00);
    f->select(6);
    f->click("btnBits");
    bits = newest<TfrmBits>(f->w);
    clickBit(bits, 7);
    QCOMPARE(f->cell(6), QString("80"));
    QCOMPARE(digits(bits), QString("10000000"));
}

void TestRegisterEditors::spinStopsAtTheEnds()
{
    f->select(9);
    f->click("btnSpin");
    auto* spin = newest<TfrmSpin>(f->w);
    child<QCheckBox>(spin, "chbUpdate")->setChecked(true);
    f->device().setModified(false);
    QTest::mouseClick(spin->spin()->upButton(), Qt::LeftButton);
    QCOMPARE(spin->spin()->value(), 0xFF);
    QCOMPARE(spin->valueLabel()->text(), QString("0xFF"));
    QCOMPARE(f->bench->transfers(), QStringList());
    QVERIFY(!f->device().modified());

    QTest::mouseClick(spin->spin()->downButton(), Qt::LeftButton);
    QCOMPARE(spin->valueLabel()->text(), QString("0xFE"));
    QCOMPARE(f->cell(9), QString("FE"));
    QCOMPARE(f->bench->transfers(), QStringList{"W A0 09 FE"});
    // The arrow keys step it too.
    spin->spin()->setFocus();
    QTest::keyClick(spin->spin(), Qt::Key_Down);
    QCOMPARE(f->cell(9), QString("FD"));
}

void TestRegisterEditors::sliderToZero()
{
    f->select(2);
    f->click("btnSlider");
    auto* s = newest<TfrmSlider>(f->w);
    s->slider()->setValue(0);
    QCOMPARE(f->cell(2), QString("00"));
    s->slider()->setValue(0x0B);
    QCOMPARE(f->cell(2), QString("0B"));
    QCOMPARE(f->bench->transfers(), QStringList());
}

void TestRegisterEditors::openingNeverWrites()
{
    f->select(3);
    f->click("btnBits");
    child<QCheckBox>(newest<TfrmBits>(f->w), "chbBitsUpdate")->setChecked(true);
    f->click("btnSlider");
    f->click("btnSpin");
    for (TRegisterControl* c : f->w->registerControls()) {
        QApplication::setActiveWindow(c);
        c->reload();
    }
    QApplication::setActiveWindow(f->bench->main.get());
    f->click("btnRead"); // a read changes the cell: the editors follow without writing
    QCOMPARE(f->bench->transfers().size(), 2);
    QCOMPARE(digits(qobject_cast<TfrmBits*>(f->w->registerControls()[0])), QString("01011001"));
    QCOMPARE(qobject_cast<TfrmSlider*>(f->w->registerControls()[1])->slider()->value(), 3 ^ 0x5A);
    QVERIFY(!f->device().modified());
}

void TestRegisterEditors::twoBitWindowsStayConsistent()
{
    f->device().setValue(4, 0x00);
    f->select(4);
    f->click("btnBits");
    f->click("btnBits");
    auto* one = qobject_cast<TfrmBits*>(f->w->registerControls()[0]);
    auto* two = qobject_cast<TfrmBits*>(f->w->registerControls()[1]);
    clickBit(one, 2);
    QCOMPARE(digits(two), QString("00000100"));
    clickBit(two, 3);
    QCOMPARE(digits(one), QString("00001100"));
    QCOMPARE(f->cell(4), QString("0C"));
}

void TestRegisterEditors::smallerMaxRegisterClosesEditors()
{
    f->select(0x40);
    f->click("btnBits");
    QPointer<TRegisterControl> high = f->w->registerControls()[0];
    f->select(2);
    f->click("btnSlider");
    QPointer<TRegisterControl> low = f->w->registerControls()[1];

    f->dialogs().answers << Answer::No;
    f->openFile(
        f->writeFile("small.def", crlfLines({"[Device Data]", "MaxRegister=15", "[Register Data]", "2=44"})));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(high.isNull());
    QVERIFY(!low.isNull());
    QCOMPARE(qobject_cast<TfrmSlider*>(low.data())->slider()->value(), 0x44);
    QVERIFY(f->dialogs().texts("error").isEmpty());
}

// ------------------------------------------------------------------ value dialog

void TestRegisterEditors::valueDialog()
{
    f->device().setValue(0x1A, 0x5E);
    f->device().setRegisterName(0x1A, "Mode");
    f->select(0x1A);
    f->action("mnuPopupRegister")->trigger();
    TfrmEditCell* d = f->w->editCellDialog();
    QVERIFY(d);
    QCOMPARE(d->windowTitle(), QString("Edit Register"));
    QCOMPARE(child<QLabel>(d, "lblRegister")->text(), QString("Register 0x1A"));
    auto* value = child<QLineEdit>(d, "edtDefault");
    auto* name = child<QLineEdit>(d, "edtDescription");
    QCOMPARE(value->text(), QString("5E"));
    QCOMPARE(name->text(), QString("Mode"));
    QCOMPARE(tabChain(d), (QStringList{"edtDefault", "edtDescription", "btnOK", "btnCancel"}));
    name->setText(QString(45, 'n')); // a long name from a file stays whole
    QCOMPARE(name->text().size(), 45);
    QTest::keyClicks(name, "x");
    QCOMPARE(name->text().size(), 45);
    value->clear();
    QTest::keyClicks(value, "7g");
    QCOMPARE(value->text(), QString("7"));
    name->setText("Mode, fast");
    f->device().setModified(false);
    child<QPushButton>(d, "btnOK")->click();
    QCOMPARE(f->cell(0x1A), QString("07"));
    QCOMPARE(f->device().registerName(0x1A), std::string("Mode, fast"));
    QCOMPARE(f->panel(), QString("0x1A: Mode, fast"));
    QVERIFY(f->device().modified());

    // Empty gives "00"; Cancel changes nothing.
    f->action("mnuCurrentRegister")->trigger();
    d = f->w->editCellDialog();
    child<QLineEdit>(d, "edtDefault")->clear();
    child<QPushButton>(d, "btnOK")->click();
    QCOMPARE(f->cell(0x1A), QString("00"));
    f->action("mnuCurrentRegister")->trigger();
    d = f->w->editCellDialog();
    child<QLineEdit>(d, "edtDefault")->setText("99");
    child<QPushButton>(d, "btnCancel")->click();
    QCOMPARE(f->cell(0x1A), QString("00"));
}

void TestRegisterEditors::valueDialogStaysWithItsRegister()
{
    f->select(5);
    f->action("mnuCurrentRegister")->trigger();
    TfrmEditCell* d = f->w->editCellDialog();
    child<QLineEdit>(d, "edtDefault")->setText("12");
    child<QLineEdit>(d, "edtDescription")->setText("Five");
    f->select(9);
    child<QPushButton>(d, "btnOK")->click();
    QCOMPARE(f->cell(5), QString("12"));
    QCOMPARE(f->device().registerName(5), std::string("Five"));
    QCOMPARE(f->cell(9), QString("FF"));
    QCOMPARE(f->device().registerName(9), std::string("Undefined Register"));
    QCOMPARE(f->panel(), QString("0x09: Undefined Register"));
}

void TestRegisterEditors::valueDialogLocksTheMenus()
{
    f->action("mnuCurrentRegister")->trigger();
    TfrmEditCell* d = f->w->editCellDialog();
    QVERIFY(!f->menu("mnuFile")->menuAction()->isEnabled());
    QVERIFY(!f->menu("mnuEdit")->menuAction()->isEnabled());
    QVERIFY(!f->action("mnuSave")->isEnabled()); // its shortcut rests too
    QVERIFY(f->action("mnuPopupSlider")->isEnabled());
    d->close();
    QVERIFY(f->menu("mnuFile")->menuAction()->isEnabled());
    QVERIFY(f->menu("mnuEdit")->menuAction()->isEnabled());
    QVERIFY(f->action("mnuSave")->isEnabled());
}

// ------------------------------------------------------------------ definition window

void TestRegisterEditors::defineNewDevice()
{
    f->action("mnuDefineNew")->trigger();
    TfrmDefine* d = f->w->definitionWindow();
    QVERIFY(d && d->isVisible());
    QCOMPARE(d->windowTitle(), QString("Define New Device"));
    QCOMPARE(child<QLineEdit>(d, "edtName")->text(), QString("New Device"));
    auto* name = child<QLineEdit>(d, "edtName");
    QApplication::setActiveWindow(d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    name->clear();
    QTest::keyClicks(name, "A name of twenty-five ch");
    QCOMPARE(name->text(), QString("A name of twenty-fiv"));
    QCOMPARE(child<QLineEdit>(d, "edtAddress")->text(), QString("AE"));
    QCOMPARE(child<QLineEdit>(d, "edtSpin")->text(), QString("256"));
    QCOMPARE(child<QLineEdit>(d, "edtFill")->text(), QString("00"));
    QCOMPARE(child<QPushButton>(d, "btnCancel")->toolTip(), QString("Cancel changes"));
    QAbstractItemModel* m = child<QTableView>(d, "stgDefinition")->model();
    QCOMPARE(m->rowCount(), 256);
    QCOMPARE(m->headerData(0, Qt::Vertical).toString(), QString("00"));
    QCOMPARE(m->headerData(255, Qt::Vertical).toString(), QString("FF"));
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("Register Description"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("Value\n(Hex)"));
    QCOMPARE(m->index(7, 0).data().toString(), QString("Undefined Register"));
    QCOMPARE(m->index(7, 1).data().toString(), QString("FF"));
    QVERIFY(!f->menu("mnuFile")->menuAction()->isEnabled());
    QCOMPARE(tabChain(d), (QStringList{"edtName", "edtAddress", "edtSpin", "spnRegisters", "edtFill",
                                       "stgDefinition", "btnOK", "btnCancel"}));

    child<QLineEdit>(d, "edtName")->setText("Sensor");
    auto* spin = child<QLineEdit>(d, "edtSpin");
    spin->setText("16");
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(m->rowCount(), 16);
    m->setData(m->index(3, 0), "Config");
    m->setData(m->index(3, 1), "7");
    m->setData(m->index(4, 0), "");
    f->device().setModified(false);
    child<QPushButton>(d, "btnOK")->click();
    QVERIFY(!d->isVisible());
    QVERIFY(f->menu("mnuFile")->menuAction()->isEnabled());
    QCOMPARE(f->w->windowTitle(), QString("Sensor"));
    QCOMPARE(f->address()->text(), QString("AE"));
    QCOMPARE(f->device().address(), std::uint8_t(0xAE));
    QCOMPARE(f->device().maxRegister(), 15);
    QCOMPARE(f->grid()->model()->rowCount(), 1);
    QCOMPARE(f->cell(3), QString("07"));
    QCOMPARE(f->device().registerName(3), std::string("Config"));
    QCOMPARE(f->device().registerName(4), std::string("Undefined Register"));
    QVERIFY(f->device().modified());
    QVERIFY(f->device().currentFile().empty());
}

void TestRegisterEditors::defineNumberOfRegisters()
{
    f->action("mnuDefineNew")->trigger();
    TfrmDefine* d = f->w->definitionWindow();
    auto* spin = child<QLineEdit>(d, "edtSpin");
    auto* grid = child<QTableView>(d, "stgDefinition");
    for (const char* text : {"0", "300", "999"}) {
        spin->setText(text);
        QTest::keyClick(spin, Qt::Key_Return);
    }
    QCOMPARE(f->dialogs().texts("warning"), (QStringList{"Please enter a number between 1 and 256",
                                                         "Please enter an integer between 1 and 256",
                                                         "Please enter an integer between 1 and 256"}));
    QCOMPARE(grid->model()->rowCount(), 256);
    QCOMPARE(spin->text(), QString("256"));
    spin->clear();
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(f->dialogs().texts("error"), QStringList{"'' is not a valid integer value."});
    spin->setText("20");
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(grid->model()->rowCount(), 20);
    QCOMPARE(grid->currentIndex().row(), 19);
    // Only digits, three at most.
    spin->clear();
    QTest::keyClicks(spin, "1a234");
    QCOMPARE(spin->text(), QString("123"));
}

void TestRegisterEditors::defineUpDownAndFill()
{
    f->action("mnuDefineNew")->trigger();
    TfrmDefine* d = f->w->definitionWindow();
    auto* spin = child<QLineEdit>(d, "edtSpin");
    auto* updown = child<UpDownButtons>(d, "spnRegisters");
    QAbstractItemModel* m = child<QTableView>(d, "stgDefinition")->model();
    spin->setText("2");
    QTest::keyClick(spin, Qt::Key_Return);
    m->setData(m->index(1, 0), "Kept");
    QTest::mouseClick(updown->downButton(), Qt::LeftButton);
    QTest::mouseClick(updown->downButton(), Qt::LeftButton); // not below 1
    QCOMPARE(m->rowCount(), 1);
    QCOMPARE(spin->text(), QString("1"));
    QTest::mouseClick(updown->upButton(), Qt::LeftButton);
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(spin->text(), QString("2"));
    QCOMPARE(m->index(1, 0).data().toString(), QString("Kept"));
    QCOMPARE(child<QTableView>(d, "stgDefinition")->currentIndex().row(), 1);

    QApplication::setActiveWindow(d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    auto* fill = child<QLineEdit>(d, "edtFill");
    fill->setFocus();
    fill->clear();
    f->dialogs().answers << Answer::No << Answer::Yes;
    QTest::keyClicks(fill, "3c");
    QCOMPARE(f->dialogs().texts("confirm"),
             QStringList{"Are you sure you want to set all the values to 3C?"});
    QCOMPARE(m->index(0, 1).data().toString(), QString("FF"));
    fill->clear();
    QTest::keyClicks(fill, "5a");
    QCOMPARE(m->index(0, 1).data().toString(), QString("5A"));
    QCOMPARE(m->index(1, 1).data().toString(), QString("5A"));
    fill->clear();
    QTest::keyClicks(fill, "7");
    child<QLineEdit>(d, "edtName")->setFocus();
    QCOMPARE(fill->text(), QString("07"));
    QCOMPARE(f->dialogs().texts("confirm").size(), 2); // leaving the field asks nothing
}

void TestRegisterEditors::editCurrentDevice()
{
    f->openFile(f->writeFile(
        "d.def", crlfLines({"[Device Data]", "Name=Thing with a long name", "Address=4C", "MaxRegister=3",
                            "[Register Data]", "1=11", "[Register Description]", "1=One"})));
    f->action("mnuCurrentDevice")->trigger();
    TfrmDefine* d = f->w->definitionWindow();
    QCOMPARE(d->windowTitle(), QString("Edit Current Device"));
    QCOMPARE(child<QLineEdit>(d, "edtName")->text(),
             QString("Thing with a long name")); // longer than one may type
    QCOMPARE(child<QLineEdit>(d, "edtAddress")->text(), QString("4C"));
    QCOMPARE(child<QLineEdit>(d, "edtSpin")->text(), QString("4"));
    QAbstractItemModel* m = child<QTableView>(d, "stgDefinition")->model();
    QCOMPARE(m->rowCount(), 4);
    QCOMPARE(m->index(1, 0).data().toString(), QString("One"));
    QCOMPARE(m->index(1, 1).data().toString(), QString("11"));
    QVERIFY(!f->menu("mnuFile")->menuAction()->isEnabled());
    QVERIFY(!f->menu("mnuEdit")->menuAction()->isEnabled());
    QVERIFY(!f->action("mnuPopupDevice")->isEnabled());

    // Cancel forgets every change.
    m->setData(m->index(1, 0), "Changed");
    child<QLineEdit>(d, "edtName")->setText("Other");
    child<QPushButton>(d, "btnCancel")->click();
    QVERIFY(f->menu("mnuFile")->menuAction()->isEnabled());
    QCOMPARE(f->device().registerName(1), std::string("One"));
    QCOMPARE(f->w->windowTitle(), QString("Thing with a long name"));
    QVERIFY(!f->device().modified());

    // OK keeps the file: Save writes it.
    const QString path = QString::fromStdString(f->device().currentFile());
    f->action("mnuCurrentDevice")->trigger();
    m->setData(m->index(1, 0), "Changed");
    child<QPushButton>(d, "btnOK")->click();
    QCOMPARE(f->device().registerName(1), std::string("Changed"));
    QCOMPARE(f->cell(4), QString());
    QVERIFY(f->w->gridModel()->indexOf(4).data(Qt::BackgroundRole).value<QBrush>().color() ==
            QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(QString::fromStdString(f->device().currentFile()), path);
    f->action("mnuSave")->trigger();
    QVERIFY(f->readFile(path).contains("\r\n1=Changed\r\n"));
}

void TestRegisterEditors::defineAddressAppliesOnOkOnly()
{
    f->action("mnuCurrentDevice")->trigger();
    TfrmDefine* d = f->w->definitionWindow();
    QApplication::setActiveWindow(d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    auto* a = child<QLineEdit>(d, "edtAddress");
    a->setFocus();
    a->clear();
    QTest::keyClicks(a, "3f");
    QCOMPARE(a->text(), QString("3E"));
    QCOMPARE(f->device().address(), std::uint8_t(0xA0));
    child<QPushButton>(d, "btnCancel")->click();
    f->click("btnWriteOne");
    QCOMPARE(f->bench->transfers(), QStringList{"W A0 00 FF"});

    f->action("mnuCurrentDevice")->trigger();
    QApplication::setActiveWindow(d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    a->setFocus();
    a->clear();
    child<QLineEdit>(d, "edtName")->setFocus(); // empty gives AE
    QCOMPARE(a->text(), QString("AE"));
    a->setText("7");
    child<QPushButton>(d, "btnOK")->click();
    QCOMPARE(f->address()->text(), QString("06"));
    QCOMPARE(f->device().address(), std::uint8_t(0x06));
}

// ------------------------------------------------------------------ layout

void TestRegisterEditors::editorWindowsFit()
{
    f->device().setValue(0x1F, 0xA5);
    f->device().setRegisterName(0x1F, "Interrupt mask");
    f->select(0x1F);
    auto check = [](QWidget* w) {
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(clippedControls(w).join("; "), QString());
        saveShot(w, "userdevice-" + QString(w->metaObject()->className()).toLower());
    };
    f->click("btnSlider");
    f->click("btnSpin");
    f->click("btnBits");
    for (TRegisterControl* c : f->w->registerControls())
        check(c);
    f->action("mnuCurrentRegister")->trigger();
    check(f->w->editCellDialog());
    f->w->editCellDialog()->close();
    f->action("mnuCurrentDevice")->trigger();
    check(f->w->definitionWindow());
}

TALLYPORT_TEST_MAIN(TestRegisterEditors)
#include "tst_register_editors.moc"
