// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Commands.h"
#include "StopSignals.h"
#include "Output.h"

#include "mp4title/Title.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/Prompt.h"
#include "platform/Volumes.h"
#include "storage/PspDrives.h"
#include "transfer/PspNaming.h"
#include "convert/Profiles.h"
#include "transfer/TransferEngine.h"

#include <QDir>
#include <QElapsedTimer>

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>

namespace cli {
namespace {

enum class Answer { Ask, Yes, No };

struct Options
{
    TransferOp op = OP_NONE;
    std::optional<QString> pspRoot;
    std::optional<QString> nextNum;
    Answer answer = Answer::Ask;
    std::optional<transfer::ConvertPolicy> convert;
    std::optional<QString> profile;
    bool zero = false;
    std::vector<QString> operands;
};

QString decoded(const std::string& arg)
{
    return platform::decodePath(QByteArray::fromStdString(arg));
}

// One line of stderr, whatever the text holds; names in it escaped as on stdout.
std::string oneLine(const QString& text)
{
    return escapedPath(text.simplified());
}

int usage(TransferOp op)
{
    const char* text = "";
    switch (op) {
    case OP_MOVE_TO_PSP:
    case OP_COPY_TO_PSP:
        text = "Usage: reelkeeper-cli copy-to-psp|move-to-psp [--psp ROOT] [--next-num N] [--yes|--no] [-z] FILE...\n";
        break;
    case OP_MOVE_FROM_PSP:
    case OP_COPY_FROM_PSP:
        text = "Usage: reelkeeper-cli copy-from-psp|move-from-psp [--psp ROOT] [--yes|--no] [-z] FOLDER NAME...\n";
        break;
    default:
        text = "Usage: reelkeeper-cli delete [--psp ROOT] [--yes|--no] [-z] NAME...\n";
        break;
    }
    std::fputs(text, stderr);
    return 2;
}

bool isDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A name in the PSP video folder, never a way out of it.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") && name != QLatin1String("..");
}

std::optional<Options> parse(TransferOp op, const Args& args)
{
    Options options;
    options.op = op;
    const bool toPsp = op == OP_MOVE_TO_PSP || op == OP_COPY_TO_PSP;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.operands.push_back(decoded(arg));
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--psp" && hasValue && !options.pspRoot) {
            options.pspRoot = decoded(args[++i]);
        } else if (arg == "--next-num" && toPsp && hasValue && !options.nextNum && isDigits(args[i + 1])) {
            options.nextNum = decoded(args[++i]);
        } else if (arg == "--convert" && toPsp && hasValue && !options.convert
                   && (args[i + 1] == "ask" || args[i + 1] == "always" || args[i + 1] == "never")) {
            const std::string& policy = args[++i];
            options.convert = policy == "always" ? transfer::ConvertPolicy::Always
                : policy == "never"              ? transfer::ConvertPolicy::Never
                                                 : transfer::ConvertPolicy::Ask;
        } else if (arg == "--profile" && toPsp && hasValue && !options.profile && convert::findProfile(args[i + 1])) {
            options.profile = QString::fromStdString(args[++i]);
        } else if (arg == "-z" || arg == "--zero") {
            options.zero = true;
        } else if ((arg == "--yes" || arg == "--no") && options.answer == Answer::Ask) {
            options.answer = arg == "--yes" ? Answer::Yes : Answer::No;
        } else {
            return std::nullopt;
        }
    }
    const std::size_t least = op == OP_MOVE_FROM_PSP || op == OP_COPY_FROM_PSP ? 2 : 1;
    if (options.operands.size() < least || options.operands.front().isEmpty())
        return std::nullopt;
    if (!toPsp) {
        for (std::size_t i = least - 1; i < options.operands.size(); ++i) {
            if (!isPlainName(options.operands[i]))
                return std::nullopt;
        }
    }
    return options;
}

/** Everything the command writes: result lines on stdout, messages and the progress line on stderr. */
class Console final : public platform::ImmediatePrompt
{
public:
    Console(Answer answer, bool zero, QString subject, bool move = false)
        : m_answer(answer)
        , m_bZero(zero)
        , m_bMove(move)
        , m_subject(std::move(subject))
        , m_bDrawProgress(::isatty(STDERR_FILENO) == 1)
    {
    }

    platform::PromptAnswer answer(const QString& text, platform::PromptKind kind) override
    {
        clearProgress();
        if (kind != platform::PromptKind::YesNo) {
            QString line = text;
            // The engine sends an item's outcome before its message: add the system's words.
            if (text == m_strPendingMessage && !m_strPendingReason.isEmpty() && !text.contains(m_strPendingReason))
                line += QStringLiteral(" (") + m_strPendingReason + QLatin1Char(')');
            m_strPendingMessage.clear();
            say(line);
            return platform::PromptAnswer::Ok;
        }
        if (m_answer != Answer::Ask || ::isatty(STDIN_FILENO) != 1) {
            // Nothing is overwritten or deleted without consent.
            const bool yes = m_answer == Answer::Yes;
            say(text + (yes ? QStringLiteral(" yes") : QStringLiteral(" no")));
            return yes ? platform::PromptAnswer::Yes : platform::PromptAnswer::No;
        }
        std::fprintf(stderr, "reelkeeper-cli: %s: %s [y/N] ", escapedPath(m_subject).c_str(), oneLine(text).c_str());
        std::fflush(stderr);
        char reply[64] = {};
        // A stop signal interrupts the read, and counts as No.
        const bool read = std::fgets(reply, sizeof reply, stdin) != nullptr;
        if (!read) {
            std::clearerr(stdin);
            std::fputc('\n', stderr);
        }
        return read && (reply[0] == 'y' || reply[0] == 'Y') ? platform::PromptAnswer::Yes : platform::PromptAnswer::No;
    }

    void started(const QString& source)
    {
        m_subject = source;
        m_clock.start();
    }

    void progress(int percent, quint64 copied, quint64 total)
    {
        // Only copies have a line; the end's 0 and a deletion's 100 have no bytes.
        if (!m_bDrawProgress || total == 0)
            return;
        const double seconds = std::max<qint64>(m_clock.elapsed(), 1) / 1000.0;
        std::fprintf(stderr, "\r\033[K%s  %3d%%  %.1f MB/s", escapedPath(m_subject).c_str(), percent,
                     static_cast<double>(copied) / (1024.0 * 1024.0) / seconds);
        std::fflush(stderr);
        m_bProgressShown = true;
    }

    void finished(const transfer::ItemOutcome& outcome)
    {
        clearProgress();
        if (!outcome.target.isEmpty()) {
            writeRecord(m_bZero, {platform::encodePath(outcome.source), platform::encodePath(outcome.target)});
            flushStdout();
        }
        if (outcome.converted)
            say(m_bMove ? QStringLiteral("converted; the source is kept") : QStringLiteral("converted"));
        if (outcome.status == transfer::ItemStatus::Cancelled) {
            say(QStringLiteral("cancelled"));
            return;
        }
        if (outcome.status == transfer::ItemStatus::Failed) {
            if (outcome.message.isEmpty())
                say(outcome.reason);
            m_strPendingMessage = outcome.message;
            m_strPendingReason = outcome.reason;
        }
    }

    void say(const QString& text)
    {
        clearProgress();
        std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escapedPath(m_subject).c_str(), oneLine(text).c_str());
    }

private:
    void clearProgress()
    {
        // The line is drawn after each report, so it is erased before anything else is written.
        if (m_bProgressShown)
            std::fputs("\r\033[K", stderr);
        m_bProgressShown = false;
    }

    const Answer m_answer;
    const bool m_bZero;
    const bool m_bMove;
    QString m_subject; // the file the next message is about
    const bool m_bDrawProgress;
    bool m_bProgressShown = false;
    QElapsedTimer m_clock;
    QString m_strPendingMessage;
    QString m_strPendingReason;
};

// The PSP video folder of --psp ROOT, or of the first attached PSP.
std::optional<QString> openPspFolder(const std::optional<QString>& pspRoot)
{
    QString root;
    if (pspRoot) {
        platform::declareVolume(*pspRoot);
        root = platform::rootOf(*pspRoot);
        if (!storage::IsPSPDrive(root)) {
            std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escapedPath(*pspRoot).c_str(), storage::kNotAPsp);
            return std::nullopt;
        }
    } else {
        root = storage::FirstPSPRoot();
        if (root.isEmpty()) {
            std::fprintf(stderr, "reelkeeper-cli: %s\n", storage::kNoPsp);
            return std::nullopt;
        }
    }
    QString pspPath;
    const storage::PspFolderResult result = storage::MakePspFolder(root, pspPath);
    if (result != storage::PspFolderResult::Ok) {
        std::fprintf(stderr, "reelkeeper-cli: %s: %s\n", escapedPath(root).c_str(),
                     result == storage::PspFolderResult::FailureA ? storage::kNotWriteableA : storage::kNotWriteableB);
        return std::nullopt;
    }
    return pspPath;
}

QString titleOf(const QString& path)
{
    const mp4title::ReadResult read = mp4title::readTitle(platform::encodePath(path).toStdString());
    return read.status == mp4title::ReadStatus::Ok ? QString::fromStdString(read.title) : QString();
}

transfer::TransferRequest requestFor(const Options& options, const QString& pspPath)
{
    transfer::TransferRequest request;
    request.op = options.op;
    request.pspPath = pspPath;
    request.nextNum = options.nextNum.value_or(QString());
    request.nextNumTyped = options.nextNum.has_value();
    request.convert = options.convert.value_or(transfer::ConvertPolicy::Ask);
    request.profile = options.profile.value_or(QString());
    // The current folder through the platform: Qt's own would lose bytes that are not UTF-8.
    const QString current = platform::fileSystem().currentDirectory();
    request.localFolder = current;
    auto names = options.operands.begin();
    if (options.op == OP_MOVE_FROM_PSP || options.op == OP_COPY_FROM_PSP) {
        const QString& folder = *names++;
        request.localFolder = QDir::cleanPath(folder.startsWith(QLatin1Char('/')) ? folder : current + QLatin1Char('/') + folder);
    }
    for (; names != options.operands.end(); ++names) {
        if (options.op == OP_MOVE_TO_PSP || options.op == OP_COPY_TO_PSP)
            request.items.push_back({*names, {}});
        else
            request.items.push_back({pspPath + *names, options.op == OP_DELETE_ON_PSP ? QString() : titleOf(pspPath + *names)});
    }
    return request;
}

} // namespace

int runTransfer(const std::string& command, const Args& args)
{
    TransferOp op = OP_DELETE_ON_PSP;
    if (command == "copy-to-psp")
        op = OP_COPY_TO_PSP;
    else if (command == "move-to-psp")
        op = OP_MOVE_TO_PSP;
    else if (command == "copy-from-psp")
        op = OP_COPY_FROM_PSP;
    else if (command == "move-from-psp")
        op = OP_MOVE_FROM_PSP;
    const std::optional<Options> options = parse(op, args);
    if (!options)
        return usage(op);

    const StopSignals stopSignals;
    const std::optional<QString> pspPath = openPspFolder(options->pspRoot);
    if (!pspPath)
        return 1;
    const transfer::TransferRequest request = requestFor(*options, *pspPath);

    // Before the first item, messages are about the folder the operation works on.
    Console console(options->answer, options->zero, op == OP_DELETE_ON_PSP ? request.pspPath : request.localFolder,
                    op == OP_MOVE_TO_PSP);
    platform::setPrompt(&console);
    transfer::TransferEngine engine(request, StopSignals::flag());
    QObject::connect(&engine, &transfer::TransferEngine::itemStarted, [&console](const QString& source) { console.started(source); });
    QObject::connect(&engine, &transfer::TransferEngine::progressChanged,
                     [&console](int percent, quint64 copied, quint64 total) { console.progress(percent, copied, total); });
    int failures = 0;
    QObject::connect(&engine, &transfer::TransferEngine::itemFinished, [&](const transfer::ItemOutcome& outcome) {
        failures += outcome.status == transfer::ItemStatus::Failed ? 1 : 0;
        console.finished(outcome);
    });
    bool usable = true;
    QObject::connect(&engine, &transfer::TransferEngine::finished, [&usable](const transfer::TransferEnd& end) {
        usable = end.kind != transfer::TransferEndKind::InvalidLocalFolder && end.kind != transfer::TransferEndKind::NoPspFolder;
    });
    engine.run();
    platform::setPrompt(nullptr);

    if (StopSignals::number() != 0)
        return 128 + StopSignals::number();
    return failures == 0 && usable ? 0 : 1;
}

} // namespace cli
