#include "app/CMorvaneApp.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0.5"));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("pictures"),
                                 QCoreApplication::translate("main", "Pictures to open."),
                                 QStringLiteral("[pictures...]"));
    parser.process(app);

    CMorvaneApp morvane;
    if (!morvane.InitInstance(parser.positionalArguments()))
        return 1;
    const int code = QApplication::exec();
    morvane.ExitInstance();
    return code;
}
