#include "EventBoundary.h"

#include "store/EngineError.h"
#include "ui/Ui.h"
namespace ledra {

bool runAction(Ui &ui, const std::function<void()> &action) {
    try {
        action();
        return true;
    } catch (const SilentAbort &) {
    } catch (const EngineError &e) {
        ui.error(e.message());
    } catch (const std::exception &e) {
        ui.error(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace ledra
