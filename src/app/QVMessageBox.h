#pragma once

#include <QMessageBox>

#include <functional>

class QWidget;

// Every message the program shows goes through here, with the application's
// title. Tests install a hook that answers instead of a modal box.
class QVMessageBox
{
public:
    using Hook = std::function<QMessageBox::StandardButton(
        const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)>;

    static QMessageBox::StandardButton Show(QWidget* parent, const QString& text,
                                            QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // Replaces the modal box; an empty hook restores it.
    static void SetHook(Hook hook);

private:
    static Hook s_hook;
};
