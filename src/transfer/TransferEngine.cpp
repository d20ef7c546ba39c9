// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "transfer/TransferEngine.h"

#include "convert/Convert.h"
#include "media/Media.h"
#include "mp4title/Title.h"
#include "platform/FileCopy.h"
#include "platform/PathCodec.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "storage/PspDrives.h"
#include "thumbnail/Cache.h"
#include "transfer/PspNaming.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <utility>
#include <optional>

namespace transfer {
namespace {

const char kInvalidLocalPath[] = "Invalid local file path!";
const char kOverwrite[] = "The file name you have specified already exists in the target directory. \nOverwrite it anyway?";
const char kCopyFailed[] = "Coyp file failed";
const char kMoveFailed[] = "Move file failed.";
const char kDeleteQuestion[] = "Delete the file?";
const char kBusyPsp[] = "Please do not plug off PSP.";
const char kBusyOther[] = "The selected file is being operated.";
const char kShortCopy[] = "the copy is not as long as the source";

// At most about 30 progress reports a second reach the window.
constexpr qint64 kReportIntervalMs = 33;

QString deleteRefused(const QString& path)
{
    return QStringLiteral("Delete ") + path + QStringLiteral(" failed, Maybe the file 's attribute is read-only.");
}

// Failures that have no text of their own are told in the manner of the others.
QString failedText(const char* verb, const QString& path, const QString& reason)
{
    return QLatin1String(verb) + QLatin1Char(' ') + path + QStringLiteral(" failed, ") + reason + QLatin1Char('.');
}

const char kNotAVideo[] = "not a video";

// Why a conversion failed, in the manner of the system's reasons.
QString conversionReason(const convert::ConvertResult& result)
{
    switch (result.error) {
    case convert::Error::Library: return QStringLiteral("FFmpeg's libraries could not be loaded");
    case convert::Error::Open: return result.errnum ? qt_error_string(result.errnum) : QStringLiteral("the file can't be read as a video");
    case convert::Error::NoVideo: return QString::fromLatin1(kNotAVideo);
    case convert::Error::Unsupported: return QStringLiteral("its video or sound can't be converted");
    case convert::Error::Decode: return QStringLiteral("the video is damaged or cut short");
    case convert::Error::Encode: return QStringLiteral("the encoder refused it");
    case convert::Error::Write: return qt_error_string(result.errnum ? result.errnum : EIO);
    case convert::Error::TooLarge: return QStringLiteral("the PSP's FAT32 file system can't hold files of 4 GiB or more");
    case convert::Error::TimedOut: return QStringLiteral("it took too long");
    case convert::Error::None: break;
    }
    return qt_error_string(EIO);
}

QString convertQuestion(const QString& path, const QStringList& reasons)
{
    return QStringLiteral("The PSP can't play %1 (%2).\nConvert it while copying? No copies it as it is.")
        .arg(path, reasons.join(QStringLiteral("; ")));
}

const char kSameFile[] = "the source and the target are the same file";
const char kTooLargeForFat[] = "the PSP's FAT32 file system can't hold files of 4 GiB or more";

int errorOf(const platform::CopyResult& result)
{
    return result.status == platform::CopyStatus::Cancelled ? ECANCELED
        : result.status == platform::CopyStatus::TargetExists ? EEXIST
                                                              : result.error;
}

QString reasonOf(const platform::CopyResult& result)
{
    if (result.status == platform::CopyStatus::Failed && result.fault == platform::CopyFault::SourceChanged)
        return QStringLiteral("the source changed while it was copied");
    if (result.status == platform::CopyStatus::Failed && result.fault == platform::CopyFault::SameFile)
        return QString::fromLatin1(kSameFile);
    if (result.status == platform::CopyStatus::Failed && result.fault == platform::CopyFault::TooLarge)
        return QString::fromLatin1(kTooLargeForFat);
    return qt_error_string(errorOf(result));
}

// The thumbnail beside a video: its path up to the last "." of its file name,
// then ".THM". A name without a "." has none (a "." of a folder is not its own).
QString thumbnailOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.left(dot) + QStringLiteral(".THM") : QString();
}

// The local folder test of the start: the root "/" stands for a drive root and
// must list something; any other text must name an entry as it stands.
std::optional<QString> usableLocalFolder(const QString& text)
{
    const platform::FileSystem& fs = platform::fileSystem();
    if (text == QLatin1String("/")) {
        if (fs.list(text, QStringLiteral("*")).empty())
            return std::nullopt;
        return QString();
    }
    if (text.isEmpty() || text.endsWith(QLatin1Char('/')) || !fs.exists(text))
        return std::nullopt;
    return text;
}

bool sameLength(const QString& a, const QString& b)
{
    const platform::FileSystem& fs = platform::fileSystem();
    const auto sizeA = fs.fileSize(a);
    return sizeA && sizeA == fs.fileSize(b);
}

// A copy that ended before its first byte for a reason the user must hear,
// whatever the direction.
bool refusedWithReason(const platform::CopyResult& result)
{
    return result.status == platform::CopyStatus::Failed
        && (result.fault == platform::CopyFault::SameFile || result.fault == platform::CopyFault::TooLarge);
}

// Removes a video and its thumbnail so that a stop at any point leaves no
// thumbnail without its video: the thumbnail is first set aside under a
// temporary name (a leftover is swept as stale), and put back when the video
// can't be removed.
platform::FileOpResult removeWithThumbnail(const QString& video, const QString& thumbnail)
{
    const platform::FileOps& ops = platform::fileOps();
    std::optional<QString> stashed;
    platform::FileOpResult stash{platform::FileOpStatus::NotFound, ENOENT};
    if (!thumbnail.isEmpty())
        stashed = ops.stashFile(thumbnail, &stash);
    const platform::FileOpResult removed = ops.removeFile(video);
    if (!removed.ok()) {
        if (stashed)
            ops.restoreFile(*stashed, thumbnail);
        return removed;
    }
    if (stashed)
        ops.removeFile(*stashed);
    else if (!thumbnail.isEmpty() && stash.status != platform::FileOpStatus::NotFound)
        ops.removeFile(thumbnail);
    return removed;
}

} // namespace

int ProgressPercent(std::uint64_t total, std::uint64_t copied)
{
    if (total == 0)
        return 100;
    const std::uint64_t percent = copied * 100 / total;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

TransferEngine::TransferEngine(TransferRequest request, const std::atomic<bool>& cancel, QObject* parent)
    : TransferEngine(std::move(request), cancel,
                     [](platform::PromptKind kind, const QString& text) {
                         return platform::waitForAnswer(text, kind) != platform::PromptAnswer::No;
                     },
                     parent)
{
}

TransferEngine::TransferEngine(TransferRequest request, const std::atomic<bool>& cancel, Asker asker, QObject* parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_ask(std::move(asker))
    , m_bCancel(cancel)
    , m_strNextNum(m_request.nextNum)
{
    qRegisterMetaType<transfer::ItemOutcome>();
    qRegisterMetaType<transfer::TransferEnd>();
}

void TransferEngine::run()
{
    m_clock.start();
    const std::optional<QString> local = usableLocalFolder(m_request.localFolder);
    if (!local) {
        tell(QString::fromLatin1(kInvalidLocalPath));
        TransferEnd result;
        result.kind = TransferEndKind::InvalidLocalFolder;
        result.folderEditText = QDir::homePath();
        result.localFolder = result.folderEditText;
        result.rebuildLocal = true;
        end(result);
        return;
    }
    m_strLocalFolder = *local;
    const TransferOp op = m_request.op;
    const bool toComputerOnly = op == OP_COPY_TO_LOCAL;
    if (m_request.pspPath.isEmpty() && !toComputerOnly) {
        TransferEnd result;
        result.kind = TransferEndKind::NoPspFolder;
        end(result);
        return;
    }
    // Leftovers of copies that were killed, never another program's files.
    const std::time_t started = std::time(nullptr);
    if (!toComputerOnly)
        platform::fileOps().removeStaleTemporaries(m_request.pspPath, started);
    platform::fileOps().removeStaleTemporaries(m_strLocalFolder.isEmpty() ? QStringLiteral("/") : m_strLocalFolder, started);
    m_bNextNumTyped = m_request.nextNumTyped;
    const bool psp = !toComputerOnly && storage::IsPSPDrive(storage::RootOfPspPath(m_request.pspPath));
    emit statusTextChanged(QString::fromLatin1(psp ? kBusyPsp : kBusyOther));

    if (op == OP_DELETE_ON_PSP && !ask(QString::fromLatin1(kDeleteQuestion))) {
        TransferEnd result;
        result.kind = TransferEndKind::Short;
        end(result);
        return;
    }
    walk();

    TransferEnd result;
    result.updateSpace = true;
    result.rebuildLocal = op == OP_MOVE_TO_PSP || op == OP_MOVE_FROM_PSP || op == OP_COPY_FROM_PSP || toComputerOnly;
    result.rebuildPsp = op == OP_MOVE_TO_PSP || op == OP_COPY_TO_PSP || op == OP_MOVE_FROM_PSP || op == OP_DELETE_ON_PSP;
    result.localFolder = m_strLocalFolder;
    result.cancelled = m_bStopped;
    result.failed = m_nFailed;
    end(result);
}

void TransferEngine::walk()
{
    for (const TransferItem& item : m_request.items) {
        if (m_bCancel.load()) {
            m_bStopped = true;
            break;
        }
        emit itemStarted(item.path);
        switch (m_request.op) {
        case OP_MOVE_TO_PSP:
        case OP_COPY_TO_PSP:
            toPsp(item, m_request.op == OP_MOVE_TO_PSP);
            break;
        case OP_MOVE_FROM_PSP:
        case OP_COPY_FROM_PSP:
            fromPsp(item, m_request.op == OP_MOVE_FROM_PSP);
            break;
        case OP_DELETE_ON_PSP:
            deleteOnPsp(item);
            break;
        case OP_COPY_TO_LOCAL:
            toLocal(item);
            break;
        case OP_NONE:
            break;
        }
        // A copy into the computer folder leaves the PSP folder and "Next Num" alone.
        if (m_request.op != OP_COPY_TO_LOCAL) {
            m_strNextNum = NextNumText(m_request.pspPath);
            emit nextNumChanged(m_strNextNum);
        }
    }
}

void TransferEngine::toPsp(const TransferItem& item, bool move)
{
    // A number the user typed counts for the first video only; every other
    // name is chosen free, and never replaces anything.
    const bool typed = std::exchange(m_bNextNumTyped, false);
    const media::Verdict verdict = media::judge(item.path);
    if (verdict.kind == media::Verdict::Kind::NotVideo) {
        ItemOutcome outcome{item.path, {}, ItemStatus::Failed, {}, QString::fromLatin1(kNotAVideo)};
        outcome.message = failedText(move ? "Move" : "Copy", item.path, outcome.reason);
        report(outcome);
        return;
    }
    const ConvertPolicy policy = m_request.convert;
    const bool convert = verdict.kind == media::Verdict::Kind::WontPlay
        && (policy == ConvertPolicy::Always || (policy == ConvertPolicy::Ask && ask(convertQuestion(item.path, verdict.reasons))));
    std::optional<TargetNames> typedNames;
    if (typed) {
        typedNames = PspTargetNames(m_strNextNum, m_request.pspPath);
        if (typedNames->invalidNumber) {
            tell(QString::fromLatin1(kInvalidNumber));
            typedNames.reset();
        }
    }
    if (convert) {
        // A converted video is a new file: its source always stays.
        convertToPsp(item, typedNames);
        return;
    }
    if (typedNames) {
        copyAskingOverwrite(item, m_request.pspPath, *typedNames, move);
        return;
    }
    copyChoosing(item, m_request.pspPath, NameSearch::psp(m_request.pspPath), move);
}

void TransferEngine::toLocal(const TransferItem& item)
{
    copyAskingOverwrite(item, m_strLocalFolder + QLatin1Char('/'), droppedTargetNames(item.path), false);
}

void TransferEngine::copyAskingOverwrite(const TransferItem& item, const QString& folder, const TargetNames& names,
                                         bool move)
{
    const QString target = folder + names.name;
    const QString thumbnailTarget = folder + names.thumbnail;
    ItemOutcome outcome{item.path, {}, ItemStatus::Done, {}, {}};
    const platform::FileSystem& fs = platform::fileSystem();

    // Either name taken asks first; a look that fails is a failure, not "free".
    int error = 0;
    const int videoThere = fs.lookup(target, &error);
    const int thumbnailThere = videoThere < 0 ? -1 : fs.lookup(thumbnailTarget, &error);
    if (videoThere < 0 || thumbnailThere < 0) {
        platform::CopyResult looked;
        looked.fault = platform::CopyFault::WriteTarget;
        looked.error = error;
        notLanded(outcome, looked, move);
        return;
    }
    platform::CopyResult copied;
    if (videoThere == 0 && thumbnailThere == 0)
        copied = copyVideo(item.path, target, true, true);
    else if (videoThere > 0)
        copied = copyVideo(item.path, target, true, false); // ends at once: the source itself, or taken
    else
        copied.status = platform::CopyStatus::TargetExists;

    if (copied.status == platform::CopyStatus::TargetExists) {
        if (!ask(QString::fromLatin1(kOverwrite))) {
            outcome.status = ItemStatus::Skipped;
            report(outcome);
            return;
        }
        // The overwrite copy of a move reports no progress, but still stops on cancel.
        copied = copyVideo(item.path, target, false, !move);
        if (!copied.ok()) {
            failed(outcome, copied, refusedWithReason(copied) ? failedText(move ? "Move" : "Copy", item.path, reasonOf(copied))
                                                               : failedText("Overwrite", target, reasonOf(copied)));
            return;
        }
        landed(outcome, copied.target, thumbnailTarget, move, true);
        return;
    }
    if (!copied.ok()) {
        notLanded(outcome, copied, move);
        return;
    }
    landed(outcome, copied.target, thumbnailTarget, move, false);
}

void TransferEngine::copyChoosing(const TransferItem& item, const QString& folder, NameSearch search, bool move)
{
    ItemOutcome outcome{item.path, {}, ItemStatus::Done, {}, {}};
    const std::optional<TargetNames> names = search.first();
    platform::CopyResult copied;
    if (!names) {
        copied.fault = platform::CopyFault::WriteTarget;
        copied.error = search.error();
        notLanded(outcome, copied, move);
        return;
    }
    // The pair the copy landed under is the last one the search gave.
    TargetNames chosen = *names;
    copied = copyVideo(item.path, folder + chosen.name, true, true, [&search, &chosen](const QString& taken) -> std::optional<QString> {
        const std::optional<TargetNames> next = search.next(taken);
        if (next) {
            chosen = *next;
            return next->name;
        }
        errno = search.error();
        return errno == EEXIST ? std::optional<QString>(QString()) : std::nullopt;
    });
    if (!copied.ok()) {
        notLanded(outcome, copied, move);
        return;
    }
    landed(outcome, copied.target, folder + chosen.thumbnail, move, false);
}

void TransferEngine::notLanded(ItemOutcome& outcome, const platform::CopyResult& copied, bool move)
{
    const bool toPsp = m_request.op == OP_COPY_TO_PSP || m_request.op == OP_MOVE_TO_PSP;
    if (!toPsp || refusedWithReason(copied)) {
        // Told like a copy back from the PSP; a stopped copy is not a failure here.
        failed(outcome, copied, failedText(move ? "Move" : "Copy", outcome.source, reasonOf(copied)));
        return;
    }
    outcome.reason = reasonOf(copied);
    outcome.error = errorOf(copied);
    outcome.fault = copied.fault;
    outcome.status = copied.status == platform::CopyStatus::Cancelled ? ItemStatus::Cancelled : ItemStatus::Failed;
    // A copy the user stopped is not a failure to tell.
    if (outcome.status == ItemStatus::Failed)
        outcome.message = QString::fromLatin1(move ? kMoveFailed : kCopyFailed);
    report(outcome);
}

void TransferEngine::fromPsp(const TransferItem& item, bool move)
{
    copyChoosing(item, m_strLocalFolder + QLatin1Char('/'), NameSearch::computer(item.title, item.path, m_strLocalFolder),
                 move);
}

void TransferEngine::landed(ItemOutcome& outcome, const QString& target, const QString& thumbnailTarget, bool move,
                            bool replaceThumbnail)
{
    const platform::FileSystem& fs = platform::fileSystem();
    outcome.target = target;
    // Whether the copy is whole is settled before the copy gets its title.
    const bool whole = !move || sameLength(outcome.source, target);
    if (m_request.op == OP_COPY_TO_PSP || m_request.op == OP_MOVE_TO_PSP)
        nameUntitled(outcome.source, target);
    const QString thumbnail = thumbnailOf(outcome.source);
    int error = 0;
    const int thumbnailThere = thumbnail.isEmpty() ? 0 : fs.lookup(thumbnail, &error);
    bool thumbnailWhole = true; // the source's thumbnail, if any, reached the target
    if (thumbnailThere != 0) {
        platform::CopyResult copied;
        if (thumbnailThere > 0) {
            copied = copyThumbnail(thumbnail, thumbnailTarget, replaceThumbnail);
        } else {
            copied.fault = platform::CopyFault::ReadSource;
            copied.error = error;
        }
        thumbnailWhole = copied.ok();
        if (!copied.ok()) {
            outcome.status = ItemStatus::Failed;
            outcome.reason = reasonOf(copied);
            outcome.error = errorOf(copied);
            outcome.fault = copied.fault;
            outcome.message = failedText("Copy", thumbnail, outcome.reason);
        }
    } else if (m_request.op == OP_COPY_TO_PSP || m_request.op == OP_MOVE_TO_PSP) {
        // The PSP gets a picture made from the video (cached, else decoded here);
        // failing that the video travels alone, without a word, as it always did.
        if (const std::optional<QString> picture = thumbnail::cachedPicture(outcome.source))
            copyThumbnail(*picture, thumbnailTarget, replaceThumbnail);
    }
    if (move) {
        // The source goes only when its copy is whole: complete, on the device,
        // as long as it, and its thumbnail along; otherwise both copies stay.
        if (!whole) {
            outcome.status = ItemStatus::Failed;
            outcome.reason = QString::fromLatin1(kShortCopy);
            outcome.message = failedText("Move", outcome.source, outcome.reason);
        } else if (!thumbnailWhole) {
            // Told above; nothing is removed.
        } else if (const platform::FileOpResult removed = removeWithThumbnail(outcome.source, thumbnailThere > 0 ? thumbnail : QString());
                   !removed.ok()) {
            // Both copies stay and nothing is lost: no message, but the item failed.
            outcome.status = ItemStatus::Failed;
            outcome.reason = qt_error_string(removed.error);
            outcome.error = removed.error;
        }
    }
    report(outcome);
}

void TransferEngine::nameUntitled(const QString& source, const QString& target)
{
    const std::string file = platform::encodePath(target).toStdString();
    const auto present = mp4title::readTitle(file);
    if (!present.title.empty())
        return;
    // Never on the source; a copy that can't take a title stays as it is.
    const QString title = convert::chooseTitle(source);
    if (!title.isEmpty())
        mp4title::writeTitle(file, title.toUtf8().toStdString());
}

void TransferEngine::convertToPsp(const TransferItem& item, const std::optional<TargetNames>& typed)
{
    const platform::FileOps& ops = platform::fileOps();
    const QString& folder = m_request.pspPath;
    ItemOutcome outcome{item.path, {}, ItemStatus::Failed, {}, {}};
    const auto fail = [&](const QString& reason, int error) {
        outcome.reason = reason;
        outcome.error = error;
        outcome.message = failedText("Convert", item.path, reason);
        report(outcome);
    };
    const auto skip = [&] {
        outcome.status = ItemStatus::Skipped;
        report(outcome);
    };
    // Before anything may replace the typed name: never the source itself, and
    // a look that fails is a failure. True when the item has been told.
    const auto refusedAsSource = [&] {
        int error = 0;
        const int same = platform::fileSystem().sameFile(item.path, folder + typed->name, &error);
        if (same != 0)
            fail(same < 0 ? qt_error_string(error) : QString::fromLatin1(kSameFile), same < 0 ? error : EINVAL);
        return same != 0;
    };
    // A typed number that is taken asks before the work, as for a copy; a
    // look that fails is a failure, not "free".
    bool replace = false;
    if (typed) {
        int error = 0;
        const int video = platform::fileSystem().lookup(folder + typed->name, &error);
        const int picture = video < 0 ? -1 : platform::fileSystem().lookup(folder + typed->thumbnail, &error);
        if (video < 0 || picture < 0) {
            fail(qt_error_string(error), error);
            return;
        }
        if (video > 0 && refusedAsSource())
            return;
        if (video > 0 || picture > 0) {
            if (!ask(QString::fromLatin1(kOverwrite))) {
                skip();
                return;
            }
            replace = true;
        }
    }
    platform::FileOpResult made;
    const std::optional<platform::FileOps::Temporary> temporary = ops.createTemporary(folder, &made);
    if (!temporary) {
        fail(qt_error_string(made.error), made.error);
        return;
    }
    // Closed and removed on every way out but a published one.
    struct Holder
    {
        const platform::FileOps& ops;
        platform::FileOps::Temporary temporary;
        bool published = false;
        ~Holder()
        {
            ::close(temporary.fd);
            if (!published)
                ops.removeFile(temporary.path);
        }
    } holder{ops, *temporary};

    convert::ConvertRequest request;
    request.input = item.path;
    request.outputFd = temporary->fd;
    request.profile = convert::findProfile(m_request.profile.toStdString());
    request.title = item.title.isEmpty() ? convert::chooseTitle(item.path) : item.title;
    const convert::ConvertResult result = convert::convertVideo(
        request, m_bCancel, [this](std::int64_t done, std::int64_t duration) {
            if (duration > 0)
                setProgress(static_cast<int>(std::min<std::int64_t>(99, done * 100 / duration)));
        });
    if (result.status == convert::Status::Cancelled) {
        m_bStopped = true;
        outcome.status = ItemStatus::Cancelled;
        outcome.error = ECANCELED;
        outcome.reason = qt_error_string(ECANCELED);
        report(outcome);
        return;
    }
    if (result.status != convert::Status::Done) {
        fail(conversionReason(result), result.errnum);
        return;
    }
    std::optional<TargetNames> names;
    platform::FileOpResult published;
    if (typed) {
        names = typed;
        if (!replace) {
            published = ops.publishTemporary(*temporary, folder + names->name);
            // Taken while converting: the same question, asked now.
            if (published.status == platform::FileOpStatus::AlreadyExists) {
                if (!ask(QString::fromLatin1(kOverwrite))) {
                    skip();
                    return;
                }
                replace = true;
            }
        }
        if (replace) {
            if (refusedAsSource())
                return;
            published = ops.publishTemporary(*temporary, folder + names->name, true);
        }
    } else {
        // The first free pair of names; one taken meanwhile moves on to the next.
        NameSearch search = NameSearch::psp(folder);
        names = search.first();
        while (names) {
            published = ops.publishTemporary(*temporary, folder + names->name);
            if (published.status != platform::FileOpStatus::AlreadyExists)
                break;
            names = search.next(names->name);
        }
        if (!names)
            published.error = search.error();
    }
    if (!names || !published.ok()) {
        fail(qt_error_string(published.error), published.error);
        return;
    }
    holder.published = true;
    setProgress(100);
    outcome.status = ItemStatus::Done;
    outcome.converted = true;
    outcome.target = folder + names->name;
    // The picture is made from what the PSP will play.
    if (const std::optional<QString> picture = thumbnail::cachedPicture(outcome.target))
        copyThumbnail(*picture, folder + names->thumbnail, replace);
    report(outcome);
}

void TransferEngine::deleteOnPsp(const TransferItem& item)
{
    ItemOutcome outcome{item.path, {}, ItemStatus::Done, {}, {}};
    if (const platform::FileOpResult removed = removeWithThumbnail(item.path, thumbnailOf(item.path)); !removed.ok()) {
        outcome.status = ItemStatus::Failed;
        outcome.reason = qt_error_string(removed.error);
        outcome.error = removed.error;
        // Only a refusal is told; the thumbnail stays with its video.
        if (removed.status == platform::FileOpStatus::AccessDenied) {
            outcome.message = deleteRefused(item.path);
            outcome.messageKind = platform::PromptKind::Information;
        }
    }
    report(outcome);
    setProgress(100);
}

void TransferEngine::failed(ItemOutcome& outcome, const platform::CopyResult& copied, const QString& message)
{
    outcome.reason = reasonOf(copied);
    outcome.error = errorOf(copied);
    outcome.fault = copied.fault;
    if (copied.status == platform::CopyStatus::Cancelled) {
        // The user stopped it: nothing to tell.
        outcome.status = ItemStatus::Cancelled;
    } else {
        outcome.status = ItemStatus::Failed;
        outcome.message = message;
    }
    report(outcome);
}

platform::CopyResult TransferEngine::copyVideo(const QString& from, const QString& to, bool failIfExists,
                                               bool reportProgress, const platform::NextName& nextName)
{
    return platform::fileOps().copyFile(
        from, to, failIfExists,
        [this, reportProgress](std::uint64_t total, std::uint64_t copied) {
            return TransferProgressRoutine(total, copied, reportProgress);
        },
        nextName);
}

platform::CopyResult TransferEngine::copyThumbnail(const QString& from, const QString& to, bool replace)
{
    // Not stopped by the cancel flag: a thumbnail follows a video that has
    // landed, and a stop now would leave that video without it.
    return platform::fileOps().copyFile(from, to, !replace);
}

bool TransferEngine::TransferProgressRoutine(std::uint64_t total, std::uint64_t copied, bool reportProgress)
{
    if (reportProgress)
        setProgress(ProgressPercent(total, copied), copied, total);
    if (!m_bCancel.load())
        return true;
    m_bStopped = true;
    return false;
}

void TransferEngine::setProgress(int percent, std::uint64_t copied, std::uint64_t total)
{
    const qint64 now = m_clock.elapsed();
    if (percent == 0 || percent == 100) {
        if (percent == m_nLastPercent)
            return;
    } else if (m_nLastReportMs >= 0 && now - m_nLastReportMs < kReportIntervalMs) {
        return;
    }
    m_nLastPercent = percent;
    m_nLastReportMs = now;
    emit progressChanged(percent, copied, total);
}

void TransferEngine::report(const ItemOutcome& outcome)
{
    if (outcome.status == ItemStatus::Failed)
        ++m_nFailed;
    emit itemFinished(outcome);
    if (!outcome.message.isEmpty())
        tell(outcome.message, outcome.messageKind);
}

// The only two ways the engine talks to the user; both wait for the answer.
// A box that goes away unanswered is No.
bool TransferEngine::ask(const QString& text)
{
    return m_ask(platform::PromptKind::YesNo, text);
}

void TransferEngine::tell(const QString& text, platform::PromptKind kind)
{
    m_ask(kind, text);
}

void TransferEngine::end(const TransferEnd& result)
{
    setProgress(0);
    emit finished(result);
}

} // namespace transfer
