#include "app/CMorvaneApp.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QLatin1String(CMorvaneApp::kApplication));
    QCoreApplication::setApplicationVersion(QLatin1String(CMorvaneApp::kVersion));
    {
        // --help and --version answer before anything needs a display: a core
        // application reads them first. Its errors wait for the second pass,
        // after the GUI application has taken its own options (-style, ...).
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        CMorvaneApp::DescribeCommandLine(parser);
        const bool parsed = parser.parse(QCoreApplication::arguments());
        const bool help =
            parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"));
        const bool version = parser.isSet(QStringLiteral("version"));
        // Answered and ended here (process() prints what was asked).
        if ((help || version) && parsed)
            parser.process(core);
        // Beside options of the GUI application, which this pass does not know.
        if (help)
            parser.showHelp(0);
        if (version)
            parser.showVersion();
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    CMorvaneApp::DescribeCommandLine(parser);
    parser.process(app);

    CMorvaneApp morvane;
    if (!morvane.InitInstance(parser.positionalArguments()))
        return 1;
    const int code = QApplication::exec();
    morvane.ExitInstance();
    return code;
}
