#include "CliCommands.h"

#include "app/UBuchhaltung.h"
#include "ui/ScriptedUi.h"

#include <cstdio>

namespace {

void out(const QString &line) { std::fprintf(stdout, "%s\n", line.toUtf8().constData()); }
void err(const QString &line) { std::fprintf(stderr, "%s\n", line.toUtf8().constData()); }

int usage()
{
    err(QStringLiteral("Aufruf: ledra-cli --data ORDNER [--answer yes|no] BEFEHL [ARGUMENTE]\n"
                       "Befehle: info"));
    return 2;
}

struct Options {
    QString data;
    QString answer = QStringLiteral("no");
    QStringList rest; // command and its arguments
};

bool parse(const QStringList &args, Options &o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--data") && i + 1 < args.size())
            o.data = args[++i];
        else if (a == QLatin1String("--answer") && i + 1 < args.size())
            o.answer = args[++i].toLower();
        else
            o.rest << a;
    }
    return !o.rest.isEmpty() && (o.answer == QLatin1String("yes") || o.answer == QLatin1String("no"));
}

int cmdInfo(TFBuchhaltung &fb)
{
    for (int i = 0; i < 3; ++i) out(fb.status[i]);
    return 0;
}

} // namespace

int runCli(const QStringList &args, const QString &programFolder)
{
    Options o;
    if (!parse(args, o)) return usage();
    ScriptedUi ui;
    ui.echoToStderr = true;
    ui.defaultAnswer = o.answer == QLatin1String("yes") ? Btn::Yes : Btn::No;
    TFBuchhaltung fb(ui, programFolder);
    fb.dataFolderOverride = o.data;
    fb.checkHelp = false;
    if (!fb.FormCreate()) return 1;
    const QString cmd = o.rest.first();
    int rc = 0;
    if (cmd == QLatin1String("info"))
        rc = cmdInfo(fb);
    else {
        err(QStringLiteral("Unbekannter Befehl: %1").arg(cmd));
        rc = 2;
    }
    fb.FormClose(false);
    return rc;
}
