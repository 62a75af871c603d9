#include "common/qt/QtMessageBoxPort.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace lirondo {

MessageBoxPort::Answer QtMessageBoxPort::show(const Request& request)
{
    QMessageBox box(m_parent);
    box.setText(request.text);
    box.setWindowTitle(request.title.isEmpty() ? QGuiApplication::applicationDisplayName()
                                               : request.title);
    switch (request.icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (request.buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.defaultButton == Answer::No ? QMessageBox::No
                                                                 : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (request.buttons == Buttons::YesNo)
        return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::Ok;
}

} // namespace lirondo
