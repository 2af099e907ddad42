#include "shell/WriteGuard.h"
#include "platform/Messenger.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"

namespace lumo {

bool writeGuardPasses(bool fromUnitOrFile, Messenger& messenger, const Texts& texts) {
    if (fromUnitOrFile)
        return true;
    return messenger.ask(texts.message(Msg::WarningTitle), texts.message(Msg::WriteWithoutSource),
                         Messenger::Icon::Warning, true);
}

} // namespace lumo
