#pragma once

#include <functional>

#include "acquire/online_update.h"

class QString;
class QWidget;

namespace arrange5 {

using UpdateWork = std::function<UpdateReport(const UpdateStatusProgress&)>;

// Runs the update on a worker thread behind a window-modal progress box: the box follows the
// update's progress, and its cancel button is the update's answer at the next progress call.
// Returns the report, or throws the update's error on the window's thread. The window stays
// painted while pages are on their way; the modality keeps other commands off the store.
// `connecting` is the box's text until the first progress arrives.
UpdateReport runUpdateWithProgress(QWidget* parent, const UpdateWork& work,
                                   const QString& connecting);

}  // namespace arrange5
