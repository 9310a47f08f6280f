#include "gui/common/ChildForm.h"
#include "tests/support/TestBench.h"

#include <QMdiArea>
#include <QMdiSubWindow>

// Every window the Device menu offers opens, shows and closes cleanly.
class TestCatalogueSmoke : public QObject {
    Q_OBJECT
private slots:
    void openAndClose_data();
    void openAndClose();
    void openAllThenExitClosesAll();
};

void TestCatalogueSmoke::openAndClose_data()
{
    QTest::addColumn<int>("index");
    const Catalogue& c = standardCatalogue();
    bool any = false;
    for (int i = 0; i < c.size(); ++i) {
        if (standardFactories().contains(c[i].windowClass)) {
            QTest::newRow(qPrintable(c[i].submenu + "/" + c[i].caption)) << i;
            any = true;
        }
    }
    if (!any)
        QTest::newRow("none") << -1;
}

void TestCatalogueSmoke::openAndClose()
{
    QFETCH(int, index);
    if (index < 0)
        QSKIP("no window classes registered yet");
    const CatalogueEntry& e = standardCatalogue().at(index);
    TestBench b;
    b.main->deviceAction(e.submenu + "/" + e.caption)->trigger();
    TChildForm* w = b.main->windowReference(e.windowClass);
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QCOMPARE(b.main->mdiArea()->activeSubWindow()->widget(), w);
    QCOMPARE(b.main->childForms().size(), 1);
    w->parentWidget()->close();
    QTRY_VERIFY(!b.main->windowReference(e.windowClass));
    QVERIFY(b.main->childForms().isEmpty());
    QVERIFY(b.dialogs.of("error").isEmpty());
}

void TestCatalogueSmoke::openAllThenExitClosesAll()
{
    TestBench b;
    int opened = 0;
    for (const CatalogueEntry& e : standardCatalogue())
        if (b.main->openEntry(e))
            ++opened;
    if (opened == 0)
        QSKIP("no window classes registered yet");
    QVERIFY(b.main->childForms().size() >= 1);
    b.main->closeAllChildren();
    QTRY_VERIFY(b.main->childForms().isEmpty());
    QVERIFY(b.dialogs.of("error").isEmpty());
}

TALLYPORT_TEST_MAIN(TestCatalogueSmoke)
#include "tst_catalogue_smoke.moc"
