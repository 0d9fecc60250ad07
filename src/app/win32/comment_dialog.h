#pragma once
// The comment dialog (template 132): the work title and the comment text the picture's author
// put into the package, and the unpack button when the package encloses files.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "framework/message_map.h"
#include "resources/resource.h"

namespace vistello {

class CommentDialog : public CDialog {
public:
    CommentDialog(std::string workTitle, std::string commentText, int32_t enclosedFileFlag,
                  uint32_t packageOffsetLow);

protected:
    BOOL OnInitDialog() override;

    BEGIN_MSG_MAP(CommentDialog)
        COMMAND_ID_HANDLER(IDC_UNPACK, OnUnpack)
    END_MSG_MAP(CDialog)

private:
    void OnUnpack(UINT command);

    std::string workTitle;
    std::string commentText;
    int32_t enclosedFileFlag;   // 1 offers the unpack button
    uint32_t packageOffsetLow;  // where the unpacker starts walking
};

}  // namespace vistello
