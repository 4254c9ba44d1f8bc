#pragma once

#include <utility>

namespace parley {

// A doubly linked list that owns its nodes, for recency orders: appending,
// moving a node to the end and removing a node take constant time. Not
// thread-safe; its owner guards it.
template <typename Element>
class LinkedList {
public:
    struct Node {
        Element value;
        Node* next = nullptr;
        Node* previous = nullptr;
    };

    LinkedList() = default;
    ~LinkedList() { removeAll(); }
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;

    Node* first() const { return first_; }
    Node* last() const { return last_; }
    bool isEmpty() const { return first_ == nullptr; }

    Node* append(Element value)
    {
        auto* node = new Node { std::move(value) };
        link(node);
        return node;
    }

    // Makes `node`, which must belong to this list, the last one.
    void moveToEnd(Node* node)
    {
        if (node == last_)
            return;
        unlink(node);
        link(node);
    }

    // Unlinks and destroys `node`, which must belong to this list.
    void remove(Node* node)
    {
        unlink(node);
        delete node;
    }

    void removeAll()
    {
        while (first_)
            remove(first_);
    }

private:
    void link(Node* node)
    {
        node->previous = last_;
        if (last_)
            last_->next = node;
        else
            first_ = node;
        last_ = node;
    }

    void unlink(Node* node)
    {
        (node->previous ? node->previous->next : first_) = node->next;
        (node->next ? node->next->previous : last_) = node->previous;
        node->next = nullptr;
        node->previous = nullptr;
    }

    Node* first_ = nullptr;
    Node* last_ = nullptr;
};

} // namespace parley
