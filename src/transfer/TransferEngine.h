// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/FileCopy.h"
#include "platform/Prompt.h"
#include "transfer/PspNaming.h"
#include "transfer/TransferOp.h"

#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace transfer {


/** One selected list item: the video's full path and its title (empty when it has none). */
struct TransferItem
{
    QString path;
    QString title;
};

/** What becomes of a video the PSP won't play, on its way to the PSP. */
enum class ConvertPolicy {
    Ask,    // one question per video (no answer: copied as it is)
    Always, // converted
    Never,  // copied as it is
};

/** What an operation needs of the window, taken when it starts (input is disabled meanwhile). */
struct TransferRequest
{
    TransferOp op = OP_NONE;
    std::vector<TransferItem> items; // the source list's selected items in index order, or the dropped videos
    QString localFolder;             // the path edit's text
    QString nextNum;                 // the "Next Num" text
    QString pspPath;                 // m_strPSPPath: ends with a separator, or empty
    bool nextNumTyped = false;       // the user typed "Next Num": a clash asks; otherwise names are chosen free
    ConvertPolicy convert = ConvertPolicy::Ask;
    QString profile;                 // the conversion's profile id; empty: the default
};

enum class ItemStatus {
    Done,      // the video landed (or was deleted)
    Skipped,   // a question was answered No
    Failed,    // something failed; message and reason say what
    Cancelled, // the cancel flag stopped its copy
};

/** How one item went. */
struct ItemOutcome
{
    QString source;  // the item's path
    QString target;  // full path where the video landed; empty when it did not (and for "Delete")
    ItemStatus status = ItemStatus::Done;
    QString message; // the text shown to the user about this item's failure, empty when none
    QString reason;  // the system's words for the failure, empty when none
    int error = 0;   // the errno behind the failure, 0 when none (or not a system error)
    platform::CopyFault fault = platform::CopyFault::None; // which step of a copy failed
    bool converted = false; // made into a file the PSP plays; a move keeps its source then
    platform::PromptKind messageKind = platform::PromptKind::Ok; // the icon of message's box
};

enum class TransferEndKind {
    Normal,             // the walk ran (also when cancelled)
    Short,              // "Delete" was not confirmed
    NoPspFolder,        // no PSP folder path
    InvalidLocalFolder, // "Invalid local file path!" was shown
};

/** What the window does when the operation has ended. */
struct TransferEnd
{
    TransferEndKind kind = TransferEndKind::Normal;
    bool updateSpace = false;  // UpdateSpace for the PSP folder
    bool rebuildLocal = false; // rebuild the local list from localFolder + "/*.mp4"
    bool rebuildPsp = false;   // rebuild the PSP list from the PSP folder path + "*.mp4"
    QString localFolder;       // the local folder as used ("" for the root "/")
    QString folderEditText;    // InvalidLocalFolder only: the text the path edit gets
    bool cancelled = false;    // the cancel flag ended the walk
    int failed = 0;            // items whose outcome was Failed
};

/** The position of the progress bar: copied x 100 / total, truncated; 100 for an empty file. */
int ProgressPercent(std::uint64_t total, std::uint64_t copied);

/**
 * Carries out one transfer operation. Snapshot in, signals out: run() does the
 * whole walk on the calling thread and tells the window everything through
 * signals it never waits for; only the questions and failure messages wait
 * for an answer, through the prompt interface. The cancel flag belongs to the
 * caller and must outlive run(); it is read before each item and at every
 * progress report of a copy.
 */
class TransferEngine final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransferEngine)

public:
    /**
     * Puts a question or message to the user and waits for the answer (true: Yes
     * or OK). Called on the engine's thread.
     */
    using Asker = std::function<bool(platform::PromptKind kind, const QString& text)>;

    /** Asks through the process-wide prompt (the command line). */
    TransferEngine(TransferRequest request, const std::atomic<bool>& cancel, QObject* parent = nullptr);
    TransferEngine(TransferRequest request, const std::atomic<bool>& cancel, Asker asker, QObject* parent = nullptr);

    /** `TransferThreadProc` without the window: the start checks, the walk and the end. */
    void run();

Q_SIGNALS:
    /**
     * The progress bar's position. At most about 30 a second, but a change to
     * 0 or 100 always comes, and every end leaves it at 0. For copies,
     * copied and total are bytes; otherwise 0.
     */
    void progressChanged(int percent, quint64 copied, quint64 total);
    /** The busy text for the status bar's text part, once the start checks passed. */
    void statusTextChanged(const QString& text);
    /** An item is about to be processed. */
    void itemStarted(const QString& source);
    /** An item has been processed (sent before its failure message is shown). */
    void itemFinished(const transfer::ItemOutcome& outcome);
    /** The new "Next Num" text, after every item. */
    void nextNumChanged(const QString& text);
    /** The operation has ended; the last signal of run(). */
    void finished(const transfer::TransferEnd& end);

private:
    void walk();
    void toPsp(const TransferItem& item, bool move);
    void toLocal(const TransferItem& item);
    /** Copies into folder under names the user gave, asking before a file of either name is replaced. */
    void copyAskingOverwrite(const TransferItem& item, const QString& folder, const TargetNames& names, bool move);
    /** Copies into folder under the first free names of the search, never replacing anything. */
    void copyChoosing(const TransferItem& item, const QString& folder, NameSearch search, bool move);
    void fromPsp(const TransferItem& item, bool move);
    /** Converts into a temporary beside the PSP's videos, published under typed (a number the user typed) or the first free pair. */
    void convertToPsp(const TransferItem& item, const std::optional<TargetNames>& typed);
    /** A video copied as it is to the PSP without a title gets one: its container's, else its file name. */
    void nameUntitled(const QString& source, const QString& target);
    void deleteOnPsp(const TransferItem& item);
    /**
     * The video is at target: its thumbnail follows (replacing one only when
     * the user allowed it), and a move removes the source.
     */
    void landed(ItemOutcome& outcome, const QString& target, const QString& thumbnailTarget, bool move,
                bool replaceThumbnail);
    /** A copy that did not land: told as the direction's failure (toPsp: the short PSP texts). */
    void notLanded(ItemOutcome& outcome, const platform::CopyResult& copied, bool move);
    void failed(ItemOutcome& outcome, const platform::CopyResult& copied, const QString& message);
    platform::CopyResult copyVideo(const QString& from, const QString& to, bool failIfExists, bool reportProgress,
                                   const platform::NextName& nextName = {});
    platform::CopyResult copyThumbnail(const QString& from, const QString& to, bool replace);
    /** Sets the position (when reporting) and answers false once the cancel flag is up. */
    bool TransferProgressRoutine(std::uint64_t total, std::uint64_t copied, bool reportProgress);
    void setProgress(int percent, std::uint64_t copied = 0, std::uint64_t total = 0);
    void report(const ItemOutcome& outcome);
    void end(const TransferEnd& result);
    bool ask(const QString& text);
    void tell(const QString& text, platform::PromptKind kind = platform::PromptKind::Ok);

    const TransferRequest m_request;
    const Asker m_ask;
    const std::atomic<bool>& m_bCancel;
    QString m_strLocalFolder; // the local folder after the start check
    QString m_strNextNum;
    QElapsedTimer m_clock;
    qint64 m_nLastReportMs = -1;
    int m_nLastPercent = -1;
    int m_nFailed = 0;
    bool m_bStopped = false;      // the cancel flag was seen
    bool m_bNextNumTyped = false; // the "Next Num" text in hand is the user's own
};

} // namespace transfer

Q_DECLARE_METATYPE(transfer::ItemOutcome)
Q_DECLARE_METATYPE(transfer::TransferEnd)
