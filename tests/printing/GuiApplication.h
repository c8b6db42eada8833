#pragma once

#include <QCoreApplication>
#include <QGuiApplication>

namespace vivrelo::test {

// Fonts, pictures and PDF writing need a QGuiApplication; the core tests have no main() of
// their own, so the first test that draws makes one (offscreen) and keeps it to the end.
inline void EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_printing";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace vivrelo::test
