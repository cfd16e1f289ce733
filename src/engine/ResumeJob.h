#pragma once

#include <string>

namespace quarrow {

class EngineContext;
struct TFtpMain;

// What the user chose and what the resume page's fields hold when a scan is resumed.
struct ResumeChoice {
    std::string resumeFile;    // the ".qrsftp" file to continue
    std::string snapshotFile;  // the new snapshot's name as chosen (its extension is dropped)
    std::string ident;         // the identification string in force
    // The login fields' texts; a resume header without login data leaves them at these
    // defaults, one without a port line keeps `portText`.
    std::string userText = "anonymous";
    std::string passwordText = "us@site";
    std::string portText = "21";
};

// Damaged covers every fault of the file, an unusable port line included; BadPort is the port
// field's own text when the file has no port line.
enum class ResumeFillResult { Filled, Missing, Damaged, BadPort };

// Fills a fresh job so that it continues the scan a resume file describes: the old queue and
// results are taken over, the stamp gets "_Ses" (once), the new snapshot and a new resume file
// are written, and the walk restarts at the recorded folder. On Filled the login texts in
// `choice` are those the job uses.
ResumeFillResult FillJobFromResume(const EngineContext& context, TFtpMain& job,
                                   ResumeChoice& choice, std::string& error);

}  // namespace quarrow
