#include "media/AvFacts.h"

namespace media::av {

std::optional<Facts> readFile(const QString&, QString* error)
{
    if (error)
        *error = QStringLiteral("only MP4 files can be judged");
    return std::nullopt;
}

} // namespace media::av
