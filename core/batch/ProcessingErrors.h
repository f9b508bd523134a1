#pragma once

#include <QString>
#include <QStringList>
#include <mutex>

namespace vantrel {

// The messages about single photos that an export run wants the user to see, in the
// order they were added. One shared collector for the process.
class ProcessingErrors {
public:
    static ProcessingErrors& errors();

    void addError(const QString& message);
    void clearErrors();
    bool errorsDidOccur() const;
    // One "<message>\n" line per message, in order; empty when there are none.
    QString errorMessage() const;

    QStringList errorsDuringProcessing() const;
    void setErrorsDuringProcessing(const QStringList& messages);

private:
    // Export workers may add while another thread reads; the lock keeps the list whole.
    mutable std::mutex mMutex;
    QStringList mErrorsDuringProcessing;
};

} // namespace vantrel
