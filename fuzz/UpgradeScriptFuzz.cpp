// The upgrade-script reader over any bytes: the lines of the file, what each asks for, the
// statements as SQLite will run them and the quoted arguments of the picture conversions.
#include "base/Error.h"
#include "db/Conversions.h"
#include "db/Upgrade.h"

#include <cstdint>
#include <cstdlib>

using namespace vivrelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList lines =
        SplitScriptText(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &text : lines) {
        if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
            std::abort();
        const ScriptLine line = ParseScriptLine(text);
        for (const QString &argument : line.arguments)
            if (argument.size() > kMaxScriptArgument)
                std::abort();
        if (!line.error.isEmpty() && !line.arguments.isEmpty())
            std::abort();
        if (line.command == ScriptCommand::SqlExe && line.error.isEmpty())
            TranslateJetSql(line.arguments[0]);
        if (line.command == ScriptCommand::Conversion) {
            try {
                QuotedArguments(text, 3);
            } catch (const Error &) { }
        }
    }
    return 0;
}
