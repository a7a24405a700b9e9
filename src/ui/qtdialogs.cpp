#include "ui/qtdialogs.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

namespace {

QWidget *visibleParent(QWidget *parent)
{
    // Before the window is shown a box must not be tied to it, or it would
    // open in an invisible window's place.
    return parent && parent->isVisible() ? parent : nullptr;
}

} // namespace

void QtDialogs::showExclamation(const std::string &text)
{
    QMessageBox::warning(visibleParent(m_parent), QStringLiteral("Tunelark"), QString::fromStdString(text));
}

bool QtDialogs::askYesNo(const std::string &text)
{
    return QMessageBox::question(visibleParent(m_parent), QStringLiteral("Tunelark"), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}
