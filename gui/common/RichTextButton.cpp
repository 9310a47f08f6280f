#include "gui/common/RichTextButton.h"

#include <QAbstractTextDocumentLayout>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextDocument>

namespace {

void prepare(QTextDocument& doc, const QFont& font, const QString& html)
{
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setHtml(html);
}

} // namespace

RichTextButton::RichTextButton(const QString& objectName, const QString& plain, const QString& html,
                               QWidget* parent)
    : QPushButton(plain, parent), m_html(html)
{
    setObjectName(objectName);
}

QSizeF RichTextButton::captionSize() const
{
    QTextDocument doc;
    prepare(doc, font(), m_html);
    return {doc.idealWidth(), doc.size().height()};
}

QSize RichTextButton::sizeHint() const
{
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QSizeF caption = captionSize();
    const QSize content(qCeil(caption.width()) + fontMetrics().horizontalAdvance(QLatin1Char('x')),
                        qMax(fontMetrics().height(), qCeil(caption.height())));
    return style()->sizeFromContents(QStyle::CT_PushButton, &opt, content, this).expandedTo(QPushButton::sizeHint());
}

void RichTextButton::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text.clear();
    p.drawControl(QStyle::CE_PushButton, opt);

    QTextDocument doc;
    prepare(doc, font(), m_html);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
    const QSizeF size(doc.idealWidth(), doc.size().height());
    p.translate(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.palette = palette();
    ctx.palette.setColor(QPalette::Text, palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                                         QPalette::ButtonText));
    doc.documentLayout()->draw(&p, ctx);
}
