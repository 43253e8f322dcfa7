#pragma once
#include <QWidget>

// Borderless start window centred on the screen with the loading bar.
class TWillkommen : public QWidget {
    Q_OBJECT
public:
    TWillkommen();
};
