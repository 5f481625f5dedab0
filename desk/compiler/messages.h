// Texts of the script compiler, exactly as the output pane shows them.
#pragma once

namespace zeq::desk::msg {

// Diagnostic line forms: normal compile with/without detail, instruction box with/without.
inline constexpr const char* kFormDetail = "error(%d):第%d行：\"%s\"%s\r\n";
inline constexpr const char* kFormPlain = "error(%d):第%d行：%s\r\n";
inline constexpr const char* kFormDetailImmediate = "第%d行：\"%s\"%s\r\n";
inline constexpr const char* kFormPlainImmediate = "第%d行：%s\r\n";

// Lexer and spell check.
inline constexpr const char* kIdentifierTooLong = "变量或标识符太长了！";
inline constexpr const char* kWritingError = "书写错误";
inline constexpr const char* kWordMissing = "标识符缺少";
inline constexpr const char* kMisspelt = "字符串拼写错误！";
inline constexpr const char* kMacroSignMisused = "宏定义符号#错误使用";
inline constexpr const char* kMacroError = "宏定义错误";

// Declarations, macros, expressions, assignments.
inline constexpr const char* kUnexpectedEnd = "源代码意外的结束";
inline constexpr const char* kDefinedOtherKind = "标识符已被定义为其他类型或者它是系统参数";
inline constexpr const char* kAlreadyDeclared = "变量已声明！";
inline constexpr const char* kImproperVarName = "变量名申明不规范";
inline constexpr const char* kNameIsHex = "标识符是一个十六进制数,请定义其他标识符";
inline constexpr const char* kNameIsKeyword = "标识符是系统关键字";
inline constexpr const char* kUnrecognisedChar = "无法识别的字符";
inline constexpr const char* kUnrecognisedKeyword = "无法识别的关键字";
inline constexpr const char* kWrongDataType = "错误的数据类型";
inline constexpr const char* kImproperMacroName = "不规范的变量名";
inline constexpr const char* kMacroBlockError = "宏定义块变量错误";
inline constexpr const char* kMacroIsSystemParam = "宏变量与系统参数重名！";
inline constexpr const char* kMacroStorageFull = "宏定义过多,超出可分配的用户存储空间";
inline constexpr const char* kAssignmentError = "赋值语句错误！";
inline constexpr const char* kFloatOperator = "运算符无法运算浮点数!";
inline constexpr const char* kOperandMissing = "缺少操作数！";
inline constexpr const char* kExpressionError = "表达式错误";
inline constexpr const char* kEmptyParentheses = "括号内不能为空！";
inline constexpr const char* kSurplusParen = "')'多余";
inline constexpr const char* kFloatOperand = "浮点数无法参与此运算!";
inline constexpr const char* kNotDefinedVar = "变量没有定义!";
inline constexpr const char* kMalformedToken = "错误的词法格式!";
inline constexpr const char* kParenMissing = "缺少')'";
inline constexpr const char* kSyntaxErrorBang = "语法错误!";
inline constexpr const char* kSyntaxError = "语法错误";
inline constexpr const char* kExpressionIncomplete = "表达式不完整";

// Control flow.
inline constexpr const char* kMissingIf = "语法错误,缺少if语句";
inline constexpr const char* kElseBeforeElseif = "elseif语句前的else语法错误!";
inline constexpr const char* kOnlyOneElse = "else语法错误,只能有一个else条件分支!";
inline constexpr const char* kMissingWhile = "语法错误,缺少while语句";
inline constexpr const char* kMissingFor = "语法错误,缺少for语句";
inline constexpr const char* kStepConstant = "step的值必须为常数";
inline constexpr const char* kContinueOutside = "语法错误,continue必须在循环语句中使用";
inline constexpr const char* kBreakOutside = "语法错误,break必须在循环语句中使用";
inline constexpr const char* kGotoSyntax = "goto语句语法错误";
inline constexpr const char* kLabelOtherKind = "标号已被定义为其他类型或者它是系统参数";
inline constexpr const char* kRedefinition = "重定义";
inline constexpr const char* kLabelUndefined = "标号无定义";
inline constexpr const char* kMissingEndMarker = "语法错误,缺少结束符";
inline constexpr const char* kSurplus = "多余";

// Parameter statements and built-ins.
inline constexpr const char* kError = "错误";
inline constexpr const char* kParamNameWrong = "参数名书写错误";
inline constexpr const char* kNotAParam = "不是系统参数名或自定义的参数名";
inline constexpr const char* kArgsMissing = "语法格式不正确或函数缺少参数!";
inline constexpr const char* kCommaMissing = "缺少逗号\",\"";
inline constexpr const char* kFunctionWrong = "函数书写格式错误";
inline constexpr const char* kTooMany1 = "函数参数多于1个";
inline constexpr const char* kTooMany2 = "函数参数多于2个";
inline constexpr const char* kTooMany3 = "函数参数多于3个";
inline constexpr const char* kTooMany4 = "函数参数多于4个";
inline constexpr const char* kTooManyArgs = "函数参数过多";
inline constexpr const char* kTooManyArgsPath = "函数参数太多";
inline constexpr const char* kLastArgMissing = "函数缺少最后一个参数";
inline constexpr const char* kNotDefined = "没有定义";
inline constexpr const char* kCommaMissingParen = "缺少逗号(,)";
inline constexpr const char* kOffsetDecimal = "偏移量书写错误,必须为十进制数";
inline constexpr const char* kLocalParamNeedsAxis = "参数%s是局部参数,轴号不能留空!";
inline constexpr const char* kReadOnlyParam = "参数是只读参数";
inline constexpr const char* kBlockUseLd = "参数是ZEQ_block类型,请使用LD函数";
inline constexpr const char* kAxisMissing = "缺少轴号";
inline constexpr const char* kBlockNotHere = "参数是ZEQ_block类型,请不能使用此函数";
inline constexpr const char* kBoardLocalParam = "控制板的参数是局部参数,轴号不能为空!";
inline constexpr const char* kNoWt = "没有WT函数功能!\r\n";
inline constexpr const char* kNoWa = "没有WAI函数功能!\r\n";
inline constexpr const char* kFileNameMissing = "缺少文件名";
inline constexpr const char* kFileNotFound = "无法找到文件:";
inline constexpr const char* kLineSegmentsMax = "直线段数不能超过12段";
inline constexpr const char* kLineDataExcess = "直线段数据超出设定段数";
inline constexpr const char* kArcSegmentsMax = "圆弧段数不能超过16段";
inline constexpr const char* kArcDataMismatch = "圆弧段数据个数与设定段数不符";
inline constexpr const char* kPathEventWrong = "路径事件指令书写错误!";
inline constexpr const char* kPathEventNoEnd = "缺少路径事件结束标志'EndPathEvent'";
inline constexpr const char* kPathEventTooMany = "路径事件多于32条";
inline constexpr const char* kPathEventNoStart = "缺少路径事件开始标志'PathEvent'";
inline constexpr const char* kEventIdRange = "事件id超出范围!";
inline constexpr const char* kEventInstructionWrong = "事件指令书写错误!";
inline constexpr const char* kEventNeedsId = "事件设置必须标明事件ID号!";

// Functions and driver.
inline constexpr const char* kMissingFunctionStart = "语法错误,缺少函数开始标志";
inline constexpr const char* kFunctionNameMissing = "缺少函数名";
inline constexpr const char* kImproperFunctionName = "函数名不规范!";
inline constexpr const char* kFunctionNoEnd = "函数缺少结束符 end";
inline constexpr const char* kMainInsideFunction = "函数体内不能定义主函数";
inline constexpr const char* kNestedFunction = "函数体内不能嵌套定义其他函数";
inline constexpr const char* kMainMissing = "缺少主函数!";
inline constexpr const char* kStartAnalysis = "\r\n开始分析……\r\n";
inline constexpr const char* kInitFailed = "初始化不成功,无法分析!\r\n";
inline constexpr const char* kStartSpellCheck = "开始拼写检查……\r\n";
inline constexpr const char* kStartSyntax = "开始语法分析……\r\n";
inline constexpr const char* kTerminated = "\r\n语法分析被终止，共 %d 个错误\r\n";
inline constexpr const char* kFinished = "\r\n语法分析结束 —— 共 %d 个错误\r\n";
inline constexpr const char* kCannotSave = "无法保存目标文件!\r\n";
// A source file that cannot be read: the pane names the file.
inline constexpr const char* kCannotOpenSource = "无法打开源文件:%s\r\n";

}  // namespace zeq::desk::msg
