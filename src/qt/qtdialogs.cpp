#include "qt/qtdialogs.h"

#include "player/windowlayout.h"
#include "util/message.h"

#include <QApplication>
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

// A message also goes to standard error, so a run started from a terminal or
// a script keeps a record of what the user was told.
void echoToTerminal(const std::string &text)
{
    printMessage(text);
}

} // namespace

void QtDialogs::showExclamation(const std::string &text)
{
    echoToTerminal(text);
    if (m_stopped)
        return;
    QMessageBox::warning(visibleParent(m_parent), QString::fromUtf8(kWindowTitle), QString::fromStdString(text));
}

bool QtDialogs::askYesNo(const std::string &text)
{
    if (m_stopped)
        return false;
    echoToTerminal(text);
    return QMessageBox::question(visibleParent(m_parent), QString::fromUtf8(kWindowTitle), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void QtDialogs::stopAsking()
{
    m_stopped = true;
    if (QWidget *box = QApplication::activeModalWidget())
        box->close();
}
