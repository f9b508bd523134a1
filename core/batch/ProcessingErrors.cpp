#include "core/batch/ProcessingErrors.h"

namespace vantrel {

ProcessingErrors& ProcessingErrors::errors() {
    static ProcessingErrors shared;
    return shared;
}

void ProcessingErrors::addError(const QString& message) {
    std::lock_guard lock(mMutex);
    mErrorsDuringProcessing.append(message);
}

void ProcessingErrors::clearErrors() {
    std::lock_guard lock(mMutex);
    mErrorsDuringProcessing.clear();
}

bool ProcessingErrors::errorsDidOccur() const {
    std::lock_guard lock(mMutex);
    return !mErrorsDuringProcessing.isEmpty();
}

QString ProcessingErrors::errorMessage() const {
    std::lock_guard lock(mMutex);
    QString text;
    for (const QString& message : mErrorsDuringProcessing) {
        text += QStringLiteral("%1\n").arg(message);
    }
    return text;
}

QStringList ProcessingErrors::errorsDuringProcessing() const {
    std::lock_guard lock(mMutex);
    return mErrorsDuringProcessing;
}

void ProcessingErrors::setErrorsDuringProcessing(const QStringList& messages) {
    std::lock_guard lock(mMutex);
    mErrorsDuringProcessing = messages;
}

} // namespace vantrel
