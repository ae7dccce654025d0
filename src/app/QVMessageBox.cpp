#include "QVMessageBox.h"

#include "res/QVStrings.h"

QVMessageBox::Hook QVMessageBox::s_hook;

QMessageBox::StandardButton QVMessageBox::Show(QWidget* parent, const QString& text,
                                               QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons)
{
    if (s_hook)
        return s_hook(text, icon, buttons);
    QMessageBox box(icon, LoadString(IDS_APP_TITLE), text, buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

void QVMessageBox::SetHook(Hook hook)
{
    s_hook = std::move(hook);
}
