// The module's resources on Linux: the same panel bytes the Windows resource
// script carries, assembled into the module and listed by the same name.
#include "platform/embedded_resources.h"

// QUORLIN_PANEL_FILE, the absolute path of panel_texture.rgb, comes from the build.
#define QUORLIN_STRING(text) #text
#define QUORLIN_EXPAND(text) QUORLIN_STRING(text)

__asm__(".pushsection .rodata\n"
        ".balign 16\n"
        "quorlinPanelTexture:\n"
        ".incbin \"" QUORLIN_EXPAND(QUORLIN_PANEL_FILE) "\"\n"
        "quorlinPanelTextureEnd:\n"
        ".popsection\n");

extern "C" __attribute__((visibility("hidden"))) const uint8_t quorlinPanelTexture[] __asm__("quorlinPanelTexture");
extern "C" __attribute__((visibility("hidden"))) const uint8_t quorlinPanelTextureEnd[] __asm__(
    "quorlinPanelTextureEnd");

const platform::EmbeddedResource moduleResources[] = {
    {"IDR_BIN1", "BIN", quorlinPanelTexture, static_cast<uint32_t>(quorlinPanelTextureEnd - quorlinPanelTexture)},
};
const int moduleResourceCount = 1;
