#pragma once

#include "common/FileDialogPort.h"

#include <QList>

namespace lirondo::test {

// Answers each open dialog from a script; an empty optional is a cancel.
class FakeFileDialog final : public FileDialogPort
{
public:
    QList<OpenRequest> requests;
    QList<std::optional<QString>> answers;

    std::optional<QString> getOpenFileName(const OpenRequest& request) override
    {
        requests.append(request);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
};

} // namespace lirondo::test
