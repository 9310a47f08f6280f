#pragma once
#include <QList>
#include <QWidget>

#include <functional>

// The expert window's row of tool buttons, in groups, and beside them the
// trigger controls, which the adapter has no pins for and so stay disabled.
// In a narrow window the groups wrap into further rows.
class ExpertToolBar : public QWidget {
    Q_OBJECT
public:
    struct Tool {
        QString name;
        QString text;
        QString hint;
        std::function<void()> action;
    };
    explicit ExpertToolBar(const QList<QList<Tool>>& groups, QWidget* parent = nullptr);
};
