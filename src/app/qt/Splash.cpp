#include "Splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
namespace ledra {

TWillkommen::TWillkommen() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    auto *lay = new QVBoxLayout(this);
    auto *image = new QLabel(QStringLiteral("<h1>Buchhaltung</h1><p>Finanzbuchhaltung</p>"));
    image->setAlignment(Qt::AlignCenter);
    image->setMinimumSize(360, 180);
    image->setStyleSheet(QStringLiteral("background:#1d4e89;color:white;"));
    auto *bar = new QLabel(QStringLiteral("Programm wird geladen..."));
    bar->setAlignment(Qt::AlignCenter);
    lay->addWidget(image);
    lay->addWidget(bar);
    adjustSize();
    if (auto *s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

} // namespace ledra
