#include "gui/universal/DeviceReport.h"
#include "core/common/Errors.h"
#include "core/universal/DefinitionFile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

void printReport(QPrinter& printer, const std::vector<std::string>& lines)
{
    QPainter p;
    if (!p.begin(&printer))
        throw tp::FileError("The printer could not be started");
    QFont font(QStringLiteral("Courier New"), 10);
    // Where no such font exists, any fixed-pitch one keeps the columns.
    font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    font.setFixedPitch(true);
    p.setFont(font);
    const QFontMetricsF fm(font, &printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const qreal line = fm.lineSpacing();
    // Two lines at the foot stay free for the page number.
    const auto perPage = static_cast<std::size_t>(std::max<qreal>(2, page.height() / line - 2));
    const auto pages = tp::userdev::DefinitionFile::reportPages(lines, perPage);
    for (std::size_t n = 0; n < pages.size(); ++n) {
        if (n > 0)
            printer.newPage();
        qreal y = fm.ascent();
        for (const std::string& text : pages[n]) {
            const QString t = fm.elidedText(QString::fromStdString(text), Qt::ElideRight, page.width());
            p.drawText(QPointF(0, y), t);
            y += line;
        }
        const QString number = QStringLiteral("Page %1 of %2").arg(n + 1).arg(pages.size());
        p.drawText(QPointF(page.width() - fm.horizontalAdvance(number), page.height() - fm.descent()),
                   number);
    }
    p.end();
}
