#include "SmallFile.h"

namespace pellarin {

const char* DescribeSmallFileProblem(SmallFileProblem problem) {
    switch (problem) {
    case SmallFileProblem::None: return "";
    case SmallFileProblem::Missing: return "文件不存在";
    case SmallFileProblem::Folder: return "这是一个文件夹，不是文件";
    case SmallFileProblem::NotRegular: return "这不是普通文件（是管道或设备），读不出名单";
    case SmallFileProblem::TooBig: return "文件太大（超过 16 MB），不像是一份名单";
    case SmallFileProblem::NoPermission: return "没有读这个文件的权限";
    case SmallFileProblem::Unreadable: return "读文件时出错";
    }
    return "读文件时出错";
}

}  // namespace pellarin
