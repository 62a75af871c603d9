#include "MailTests.h"

#include <QApplication>

// One executable for the mail area: the client without widgets, then the form.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += lirondo::test::runSmtpCoreTests(argc, argv);
    failures += lirondo::test::runSendMailTests(argc, argv);
    return failures;
}
