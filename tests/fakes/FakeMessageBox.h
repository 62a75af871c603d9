#pragma once

#include "common/MessageBoxPort.h"

#include <QList>

namespace lirondo::test {

// Records every box and answers from a script (Ok / the default button when the
// script runs out).
class FakeMessageBox final : public MessageBoxPort
{
public:
    QList<Request> shown;
    QList<Answer> answers;

    Answer show(const Request& request) override
    {
        shown.append(request);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return request.buttons == Buttons::YesNo ? request.defaultButton : Answer::Ok;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Request& r : shown)
            result.append(r.text);
        return result;
    }
};

} // namespace lirondo::test
