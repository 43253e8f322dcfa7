#pragma once
#include <QWidget>
namespace ledra {

// Borderless start window centred on the screen with the loading bar.
class TWillkommen : public QWidget {
    Q_OBJECT
public:
    TWillkommen();
};

} // namespace ledra
