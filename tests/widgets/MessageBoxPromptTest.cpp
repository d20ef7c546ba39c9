// SPDX-FileCopyrightText: 2026 The Reelkeeper developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's message boxes: opened without waiting, one at a time in the order
// asked, answered by their buttons, and No for whatever is left when the window goes.
#include "widgets/MessageBoxPrompt.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

using platform::PromptAnswer;
using platform::PromptKind;

namespace {

struct Asked
{
    std::vector<std::optional<PromptAnswer>> answers;
    platform::PromptDone slot(std::size_t i)
    {
        answers.resize(std::max(answers.size(), i + 1));
        return [this, i](PromptAnswer answer) { answers[i] = answer; };
    }
};

// The one box on the screen.
QMessageBox* shown(widgets::MessageBoxPrompt& boxes)
{
    QMessageBox* box = nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (box = boxes.currentBox()) && box->isVisible(); }, 2000));
    int visible = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        visible += qobject_cast<QMessageBox*>(widget) && widget->isVisible() ? 1 : 0;
    EXPECT_EQ(visible, 1);
    return box;
}

} // namespace

TEST(MessageBoxPromptTest, BoxesOpenOneAtATimeInTheOrderAskedAndAnswerByTheirButtons)
{
    QWidget window;
    window.show();
    widgets::MessageBoxPrompt boxes;
    boxes.setParentWindow(&window);
    Asked asked;
    boxes.ask({1, QStringLiteral("Delete the file?"), PromptKind::YesNo}, asked.slot(0));
    boxes.ask({2, QStringLiteral("Invalid local file path!"), PromptKind::Ok}, asked.slot(1));
    boxes.ask({3, QStringLiteral("Delete /m failed"), PromptKind::Information}, asked.slot(2));
    EXPECT_FALSE(asked.answers[0]) << "ask returns before the answer";

    QMessageBox* box = shown(boxes);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("Delete the file?"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->parentWidget(), &window);
    EXPECT_EQ(QApplication::activeModalWidget(), box);
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    EXPECT_EQ(asked.answers[0], PromptAnswer::Yes);
    EXPECT_FALSE(asked.answers[1]);

    box = shown(boxes);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("Invalid local file path!"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(asked.answers[1], PromptAnswer::Ok);

    box = shown(boxes);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(asked.answers[2], PromptAnswer::Ok);
    EXPECT_EQ(boxes.currentBox(), nullptr);
}

TEST(MessageBoxPromptTest, WhatWaitsWhenTheWindowGoesIsAnsweredNo)
{
    auto window = std::make_unique<QWidget>();
    window->show();
    widgets::MessageBoxPrompt boxes;
    boxes.setParentWindow(window.get());
    Asked asked;
    boxes.ask({1, QStringLiteral("Overwrite it anyway?"), PromptKind::YesNo}, asked.slot(0));
    boxes.ask({2, QStringLiteral("Delete the file?"), PromptKind::YesNo}, asked.slot(1));
    ASSERT_TRUE(shown(boxes));
    window.reset();
    EXPECT_EQ(asked.answers[0], PromptAnswer::No);
    EXPECT_EQ(asked.answers[1], PromptAnswer::No);
    boxes.ask({3, QStringLiteral("Stop the program?"), PromptKind::YesNo}, asked.slot(2));
    EXPECT_EQ(asked.answers[2], PromptAnswer::No);
    EXPECT_EQ(boxes.currentBox(), nullptr);
}
