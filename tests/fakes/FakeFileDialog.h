#pragma once

#include "common/FileDialogPort.h"

#include <QList>

namespace lirondo::test {

// Answers each open or save dialog from a script; an empty optional is a cancel.
class FakeFileDialog final : public FileDialogPort
{
public:
    QList<OpenRequest> requests;
    QList<std::optional<QString>> answers;
    int saveDialogs = 0;

    std::optional<QString> getOpenFileName(const OpenRequest& request) override
    {
        requests.append(request);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
    std::optional<QString> getSaveFileName(const OpenRequest& request) override
    {
        ++saveDialogs;
        return getOpenFileName(request);
    }
};

} // namespace lirondo::test
