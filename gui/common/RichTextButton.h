#pragma once
#include <QPushButton>

// A push button whose caption is drawn from rich text (bold, a word in
// colour) while text() keeps the plain caption for tests and accessibility.
class RichTextButton : public QPushButton {
    Q_OBJECT
public:
    RichTextButton(const QString& objectName, const QString& plain, const QString& html, QWidget* parent = nullptr);

    const QString& html() const { return m_html; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSizeF captionSize() const;
    QString m_html;
};
