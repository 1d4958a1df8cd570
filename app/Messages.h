#pragma once

#include "weapons/FileKind.h"

#include <QString>

#include <functional>

// Every message the program shows goes through here, so that one place
// decides how it is shown and tests can capture the texts instead.
void ShowMessage(const QString& text);
// An empty sink restores the message box.
void SetMessageSink(std::function<void(const QString&)> sink);

// Runs `action`; an Exception or std::exception it raises is shown through
// ShowMessage and reported by returning false, so no error escapes into the
// event loop and the program goes on with what it showed before.
bool RunShowingErrors(const std::function<void()>& action);

// What a path that is no regular file names, as a short sentence
// ("名前付きパイプです"); empty for a missing or regular file.
QString FileKindWords(TFileKind kind);
