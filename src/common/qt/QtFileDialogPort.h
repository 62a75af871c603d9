#pragma once

#include "common/FileDialogPort.h"

class QWidget;

namespace lirondo {

class QtFileDialogPort final : public FileDialogPort
{
public:
    explicit QtFileDialogPort(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    std::optional<QString> getOpenFileName(const OpenRequest& request) override;
    std::optional<QString> getSaveFileName(const OpenRequest& request) override;

private:
    std::optional<QString> run(const OpenRequest& request, bool save);
    QWidget* m_parent;
};

} // namespace lirondo
