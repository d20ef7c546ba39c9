#pragma once

#include <QProgressBar>

/** The transfer progress bar inside the status bar (id 1027); hidden while idle. */
class CPSPPrgCtrl final : public QProgressBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CPSPPrgCtrl)

public:
    explicit CPSPPrgCtrl(QWidget* parent = nullptr);
};
