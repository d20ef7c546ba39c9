#pragma once

#include "storage/CPSPVolCtrl.h"
#include "storage/CVideoListCtrl.h"
#include "storage/SpaceAccounting.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

// The main window's parts that the catalogue and space accounting touch, as real widgets.
struct TestWindow
{
    TestWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{localList, pspList, folderEdit, moveTo, copyTo, moveFrom,
                 copyFrom, deleteOnPsp, refresh, browse, bar, status})
            layout->addWidget(w);
        bar->setFixedSize(102, 14);
        window.resize(400, 700);
        window.show();
        localList->InitList();
        pspList->InitList();
        bar->m_nWidth = 100;

        parts.window = &window;
        parts.localList = localList;
        parts.pspList = pspList;
        parts.folderEdit = folderEdit;
        parts.moveTo = moveTo;
        parts.copyTo = copyTo;
        parts.moveFrom = moveFrom;
        parts.copyFrom = copyFrom;
        parts.deleteOnPsp = deleteOnPsp;
        parts.refresh = refresh;
        parts.usageBar = bar;
        parts.pspPath = [this] { return pspPath; };
        parts.setSpaceText = [this](const QString& text) {
            status->setText(text);
            ++textUpdates;
        };
    }

    QList<QPushButton*> transferButtons() const { return {moveTo, copyTo, moveFrom, copyFrom, deleteOnPsp}; }

    QWidget window;
    CVideoListCtrl* localList = new CVideoListCtrl;
    CVideoListCtrl* pspList = new CVideoListCtrl;
    QLineEdit* folderEdit = new QLineEdit;
    QPushButton* moveTo = new QPushButton(QStringLiteral("Move->"));
    QPushButton* copyTo = new QPushButton(QStringLiteral("Copy->"));
    QPushButton* moveFrom = new QPushButton(QStringLiteral("<-Move"));
    QPushButton* copyFrom = new QPushButton(QStringLiteral("<-Copy"));
    QPushButton* deleteOnPsp = new QPushButton(QStringLiteral("Delete"));
    QPushButton* refresh = new QPushButton(QStringLiteral("&Refresh"));
    QPushButton* browse = new QPushButton(QStringLiteral("Browse"));
    CPSPVolCtrl* bar = new CPSPVolCtrl;
    QLabel* status = new QLabel;
    QString pspPath;
    int textUpdates = 0;
    storage::MainWindowParts parts;
};
