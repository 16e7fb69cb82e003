#include "store/file_problems.h"

#include <cerrno>
#include <cstring>

namespace arrange5 {

namespace fs = std::filesystem;

std::string describeFileProblem(const fs::path& file, int error) {
    std::error_code ec;
    if (fs::is_directory(file, ec)) return "这是一个文件夹，不是文件";
    switch (error) {
        case EISDIR:
            return "这是一个文件夹，不是文件";
        case ENOENT:
            return "它所在的文件夹 " + file.parent_path().string() + " 不存在";
        case ENOTDIR:
            return "路径中有一段不是文件夹";
        case EACCES:
        case EPERM:
            return "没有写入或读取它的权限";
        case EROFS:
            return "它所在的磁盘是只读的";
        case ENOSPC:
        case EDQUOT:
            return "磁盘已满";
        case ENAMETOOLONG:
            return "文件名太长";
        case ENOTEMPTY:
        case EEXIST:
            return "那里已有一个不能替换的文件夹或文件";
        case 0:
            return "原因不明（系统没有报告错误）";
        default:
            return std::string("系统报告错误（") + std::strerror(error) + "）";
    }
}

std::string describeFileProblem(const fs::path& file, const std::error_code& ec) {
    return describeFileProblem(
        file, ec.category() == std::generic_category() || ec.category() == std::system_category()
                  ? ec.value()
                  : EIO);
}

std::string describeNotARegularFile(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    switch (status.type()) {
        case fs::file_type::regular:
            return {};
        case fs::file_type::not_found:
            return "文件不存在";
        case fs::file_type::directory:
            return "这是一个文件夹，不是文件";
        case fs::file_type::fifo:
            return "这是一个管道（FIFO），不是文件";
        case fs::file_type::socket:
            return "这是一个套接字，不是文件";
        case fs::file_type::block:
        case fs::file_type::character:
            return "这是一个设备，不是文件";
        default:
            return ec ? describeFileProblem(file, ec) : "这不是一个普通文件";
    }
}

}  // namespace arrange5
