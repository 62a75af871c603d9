#pragma once

#include "common/MessageBoxPort.h"

class QWidget;

namespace lirondo {

class QtMessageBoxPort final : public MessageBoxPort
{
public:
    explicit QtMessageBoxPort(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    Answer show(const Request& request) override;

private:
    QWidget* m_parent;
};

} // namespace lirondo
