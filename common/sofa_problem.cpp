#include "common/sofa_problem.h"

namespace yumo
{
namespace
{

struct ProblemWord
{
    SofaProblem problem;
    const char* word;
};
constexpr ProblemWord kWords[] = {
    {SofaProblem::Unreadable, "unreadable"},
    {SofaProblem::NotSofa, "not-sofa"},
    {SofaProblem::Cut, "cut"},
    {SofaProblem::Damaged, "damaged"},
    {SofaProblem::Unsuitable, "unsuitable"},
    {SofaProblem::NotWritten, "not-written"},
};

} // namespace

const char* SofaProblemWord(SofaProblem problem)
{
    for (const ProblemWord& w : kWords)
    {
        if (w.problem == problem)
        {
            return w.word;
        }
    }
    return "";
}

SofaProblem SofaProblemOfWord(const std::string& word)
{
    for (const ProblemWord& w : kWords)
    {
        if (word == w.word)
        {
            return w.problem;
        }
    }
    return SofaProblem::None;
}

} // namespace yumo
