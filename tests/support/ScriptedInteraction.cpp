#include "ScriptedInteraction.h"

#include <gtest/gtest.h>

void ScriptedInteraction::AnswerFile(std::string path) { answers_.push_back(New<FolderItem>(String(path))); }

void ScriptedInteraction::AnswerCancel() { answers_.emplace_back(); }

void ScriptedInteraction::ClearRecords()
{
    messages_.clear();
    fileRequests_.clear();
    errors_.clear();
}

void ScriptedInteraction::ShowMessage(const String& text) { messages_.push_back(text.ToStdString()); }

Ref<FolderItem> ScriptedInteraction::ChooseFile(const OpenFileRequest& request)
{
    fileRequests_.push_back({ request.title.ToStdString(),
                              request.initialDirectory ? request.initialDirectory->NativePath().ToStdString() : "",
                              request.owner });
    if (answers_.empty()) {
        ADD_FAILURE() << "An open-file dialog \"" << fileRequests_.back().title
                      << "\" was shown, but no answer was queued (AnswerFile or AnswerCancel)";
        return nullptr;
    }
    Ref<FolderItem> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

void ScriptedInteraction::ShowError(const String& title, const String& text)
{
    errors_.push_back({ title.ToStdString(), text.ToStdString() });
}

ScopedInteraction::ScopedInteraction()
{
    auto script = std::make_unique<ScriptedInteraction>();
    script_ = script.get();
    previous_ = InstallInteraction(std::move(script));
}

ScopedInteraction::~ScopedInteraction()
{
    if (script_->PendingAnswers() != 0)
        ADD_FAILURE() << script_->PendingAnswers() << " queued open-file answer(s) were never asked for";
    InstallInteraction(std::move(previous_));
}
