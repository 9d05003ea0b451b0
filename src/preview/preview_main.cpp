// Entry of the live preview module, loaded by the main window the first time the preview
// shows, so that QtPdf costs nothing to a run that never opens it.
#include <QtGlobal>
#include <type_traits>

#include "preview/preview_view.h"
#include "preview/preview_window.h"

extern "C" Q_DECL_EXPORT sleevemaster::PreviewView* SleevemasterCreatePreview(
    const sleevemaster::PreviewViewHooks* hooks) {
  return new sleevemaster::PreviewWindow(hooks != nullptr ? *hooks
                                                          : sleevemaster::PreviewViewHooks{});
}

static_assert(std::is_same_v<decltype(&SleevemasterCreatePreview), SleevemasterCreatePreviewFn>);
