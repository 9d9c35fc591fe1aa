#pragma once
// An error passed between routines: a number, a source text and a description.
// A routine that passes one on appends "+module/routine" to the source.

#include <QString>

#include <stdexcept>

namespace quorvan {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, QString source, QString description)
        : std::runtime_error(description.toStdString()), number_(number), source_(std::move(source)),
          description_(std::move(description))
    {
    }

    int Number() const { return number_; }
    const QString& Source() const { return source_; }
    const QString& Description() const { return description_; }

    // The same error with "+module/routine" appended to its source.
    RuntimeError PassedOnBy(const QString& moduleAndRoutine) const
    {
        return RuntimeError(number_, source_ + QLatin1Char('+') + moduleAndRoutine, description_);
    }

private:
    int number_;
    QString source_;
    QString description_;
};

} // namespace quorvan
