#pragma once

#include <QPushButton>
#include <QString>

namespace lirondo {

// A push button with a free text beside its caption, where the program keeps a
// little state of its own.
class TagButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    QString Tag;
};

} // namespace lirondo
