#pragma once

#include "FolderItem.h"
#include "Interaction.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

// An interaction for tests: records every prompt and answers open-file
// dialogs from a queue, so that nothing waits for a person.
class ScriptedInteraction final : public Interaction {
public:
    struct FileRequest {
        std::string title;
        std::string initialDirectory;   // "" when the dialog had none
        const Window* owner = nullptr;
    };
    struct Error {
        std::string title;
        std::string text;
    };

    // The answers to the next open-file dialogs, in order.
    void AnswerFile(std::string path);
    void AnswerCancel();
    std::size_t PendingAnswers() const noexcept { return answers_.size(); }

    const std::vector<std::string>& Messages() const noexcept { return messages_; }
    const std::vector<FileRequest>& FileRequests() const noexcept { return fileRequests_; }
    const std::vector<Error>& Errors() const noexcept { return errors_; }
    // Forgets what was recorded; queued answers stay.
    void ClearRecords();

    void ShowMessage(const String& text) override;
    // An open-file dialog that no answer was queued for fails the test.
    Ref<FolderItem> ChooseFile(const OpenFileRequest& request) override;
    void ShowError(const String& title, const String& text) override;

private:
    std::deque<Ref<FolderItem>> answers_;   // nil for cancel
    std::vector<std::string> messages_;
    std::vector<FileRequest> fileRequests_;
    std::vector<Error> errors_;
};

// Installs a ScriptedInteraction for its lifetime and then restores the one
// before. Answers still queued at the end fail the test: a dialog that was
// expected did not come.
class ScopedInteraction {
public:
    ScopedInteraction();
    ~ScopedInteraction();
    ScopedInteraction(const ScopedInteraction&) = delete;
    ScopedInteraction& operator=(const ScopedInteraction&) = delete;

    ScriptedInteraction& Script() const noexcept { return *script_; }
    ScriptedInteraction* operator->() const noexcept { return script_; }

private:
    ScriptedInteraction* script_;   // owned by the framework while installed
    std::unique_ptr<Interaction> previous_;
};
