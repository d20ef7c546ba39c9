#include "widgets/CPSPPrgCtrl.h"

CPSPPrgCtrl::CPSPPrgCtrl(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}
